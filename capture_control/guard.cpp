#include "guard.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <new>

#include "core/capture_error.h"
#include "messages.h"
#include "morvane_guids.h"

namespace morvane {

Failure CurrentFailure() {
  try {
    throw;
  } catch (const CaptureError& error) {
    return {HResultOf(error), error.message()};
  } catch (const std::bad_alloc&) {
    const MessageRow& row = Message(MessageId::kOutOfMemory);
    return {row.scode, row.text};
  } catch (...) {
    const MessageRow& row = Message(MessageId::kInternal);
    return {row.scode, row.text};
  }
}

HRESULT HresultFromWin32(DWORD error, HRESULT fallback) {
  const HRESULT hr = HRESULT_FROM_WIN32(error);
  return FAILED(hr) ? hr : fallback;
}

HRESULT HResultOf(const CaptureError& error) { return HresultFromWin32(error.system_code()); }

HRESULT ReportComFailure(HRESULT scode, const std::wstring& text) {
  if (!FAILED(scode)) scode = E_FAIL;
  Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(::CreateErrorInfo(&create))) {
    create->SetGUID(DIID__DMorvane);
    create->SetSource(const_cast<LPOLESTR>(L"Morvane"));
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) ::SetErrorInfo(0, info.Get());
  }
  return scode;
}

void LogFailure(const wchar_t* where, const Failure& failure) {
  ::OutputDebugStringW(L"Morvane: ");
  ::OutputDebugStringW(where);
  ::OutputDebugStringW(L": ");
  ::OutputDebugStringW(failure.text.c_str());
  ::OutputDebugStringW(L"\n");
}

}  // namespace morvane
