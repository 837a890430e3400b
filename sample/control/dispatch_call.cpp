#include "control/dispatch_call.h"

#include <string>
#include <vector>

namespace sample {
namespace {

std::wstring TakeBstr(BSTR& s) {
  std::wstring text = s ? std::wstring(s, SysStringLen(s)) : std::wstring();
  SysFreeString(s);
  s = nullptr;
  return text;
}

}  // namespace

convert::RuntimeError DispatchError(HRESULT hr, EXCEPINFO* info, const wchar_t* member_name) {
  if (hr == DISP_E_EXCEPTION && info != nullptr) {
    // A control may leave the texts to be filled in only when someone asks.
    if (info->pfnDeferredFillIn != nullptr) info->pfnDeferredFillIn(info);
    long number = FAILED(info->scode) ? static_cast<long>(info->scode)
                  : info->wCode != 0  ? static_cast<long>(info->wCode)
                                      : static_cast<long>(hr);
    std::wstring description = TakeBstr(info->bstrDescription);
    std::wstring source = TakeBstr(info->bstrSource);
    SysFreeString(info->bstrHelpFile);
    info->bstrHelpFile = nullptr;
    if (source.empty() && member_name != nullptr) source = member_name;
    return convert::RuntimeError(number, description, source);
  }
  return convert::RuntimeError(static_cast<long>(hr), L"", member_name ? member_name : L"");
}

void InvokeDispatch(IDispatch* target, DISPID dispid, WORD kind, VARIANT* args, UINT arg_count, VARIANT* result,
                    const wchar_t* member_name) {
  if (target == nullptr) throw convert::RuntimeError(static_cast<long>(E_POINTER), L"", member_name);
  // IDispatch takes the arguments last first.
  std::vector<VARIANT> reversed(arg_count);
  for (UINT i = 0; i < arg_count; ++i) reversed[arg_count - 1 - i] = args[i];
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = arg_count ? reversed.data() : nullptr;
  params.cArgs = arg_count;
  if (kind == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  EXCEPINFO info{};
  UINT arg_error = 0;
  HRESULT hr = target->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &info, &arg_error);
  if (FAILED(hr)) throw DispatchError(hr, &info, member_name);
}

}  // namespace sample
