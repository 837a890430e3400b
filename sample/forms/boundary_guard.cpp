#include "forms/boundary_guard.h"

#include <oleauto.h>
#include <wrl/client.h>

namespace forms {
namespace {

// A classic run-time error travels through COM in the control facility, as
// automation servers raise it.
HRESULT HresultOf(const convert::RuntimeError& error) {
  const long number = error.number();
  if (number < 0) return static_cast<HRESULT>(number);
  if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
  return E_UNEXPECTED;  // neither a failure code nor an error number
}

BSTR AllocText(const std::wstring& text) {
  return text.empty() ? nullptr : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void SetErrorInformation(const convert::RuntimeError& error) noexcept {
  Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(&create))) return;
  create->SetDescription(const_cast<LPOLESTR>(error.description().c_str()));
  create->SetSource(const_cast<LPOLESTR>(error.source().c_str()));
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
}

}  // namespace

void ReportCurrentException(HWND owner) noexcept {
  try {
    ShowErrorReport(owner, CurrentExceptionAsRuntimeError());
  } catch (...) {
    // No memory left for the report's text: nothing can show it.
    MessageBeep(MB_ICONHAND);
  }
}

HRESULT CurrentExceptionAsHresult() noexcept {
  try {
    const convert::RuntimeError error = CurrentExceptionAsRuntimeError();
    SetErrorInformation(error);
    return HresultOf(error);
  } catch (...) {
    return E_OUTOFMEMORY;  // copying the error's texts failed
  }
}

HRESULT CurrentExceptionAsDispatchError(EXCEPINFO* info) noexcept {
  try {
    const convert::RuntimeError error = CurrentExceptionAsRuntimeError();
    if (info == nullptr) return HresultOf(error);
    *info = EXCEPINFO{};
    info->scode = HresultOf(error);
    info->bstrSource = AllocText(error.source());
    info->bstrDescription = AllocText(error.description());
    return DISP_E_EXCEPTION;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace forms
