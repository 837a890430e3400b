// Where the program's code is called by the system: window procedures and
// the COM methods of the objects we hand to the control. No exception may
// unwind through the system's frames (with MinGW on i686 that ends the
// process), so each such entry point runs its body inside one of these
// guards, which turn whatever escapes into the program's reported error.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "forms/error_report.h"

namespace forms {

// What a window procedure answers for a message whose handler failed.
constexpr LRESULT kFailedMessageResult = 0;

// Shows the exception being handled on the program's error report, over
// `owner`. Never throws: when even the report fails, it beeps.
void ReportCurrentException(HWND owner) noexcept;

// The exception being handled as a COM failure: a control's HRESULT as it
// came, a classic run-time error number (7 for no memory, 51 for anything
// unexpected) in the control facility as automation raises it; its
// description and source are set as the thread's error information.
HRESULT CurrentExceptionAsHresult() noexcept;

// The same for IDispatch::Invoke: the error goes into `info` (when the caller
// gave one) and the call answers DISP_E_EXCEPTION.
HRESULT CurrentExceptionAsDispatchError(EXCEPINFO* info) noexcept;

// A window procedure's body. A failure is reported with `report` (which must
// not throw) and only that message's handling ends; the window lives on.
template <typename Body, typename Report>
LRESULT GuardMessage(Body&& body, Report&& report) noexcept {
  try {
    return body();
  } catch (...) {
    report();
    return kFailedMessageResult;
  }
}

// The same, reported on the program's error report over `hwnd`.
template <typename Body>
LRESULT GuardMessage(HWND hwnd, Body&& body) noexcept {
  return GuardMessage(body, [hwnd] { ReportCurrentException(hwnd); });
}

// A COM method's body.
template <typename Body>
HRESULT GuardCall(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return CurrentExceptionAsHresult();
  }
}

// IDispatch::Invoke's body.
template <typename Body>
HRESULT GuardInvoke(EXCEPINFO* info, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return CurrentExceptionAsDispatchError(info);
  }
}

}  // namespace forms
