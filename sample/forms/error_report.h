// The program-wide error report: one modal box, titled with the program's
// name, that states the run-time error that ended a handler.
#pragma once

#include <windows.h>

#include <string>

#include "convert/runtime_error.h"

namespace forms {

// The program's name: the title of the error report and of every message box.
inline constexpr wchar_t kProgramTitle[] = L"sample";

// The text of the box: the error's number and its description, e.g.
//   実行時エラー '6':
//
//   オーバーフローしました。
// A control's error (an HRESULT) shows its number also in hexadecimal.
std::wstring ErrorReportText(const convert::RuntimeError& error);

// Shows the report modally (OK button, stop icon, the program's title).
void ShowErrorReport(HWND owner, const convert::RuntimeError& error);

// Turns the exception being handled into the run-time error to report, so
// that a handler's catch block stays one line: out of memory becomes error 7,
// anything unexpected error 51 with what it said.
convert::RuntimeError CurrentExceptionAsRuntimeError();

// Runs one event handler: an exception that ends it is reported and the
// handler's later steps do not run. Returns false when it failed.
template <typename Handler>
bool RunHandler(HWND owner, Handler&& handler) noexcept {
  try {
    handler();
    return true;
  } catch (...) {
    ShowErrorReport(owner, CurrentExceptionAsRuntimeError());
    return false;
  }
}

}  // namespace forms
