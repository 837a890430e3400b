// The one boundary guard. Every window procedure, dialog procedure and COM
// method of the control runs its body through Guard, so that no exception
// (ours, the standard library's, or anything else thrown below us) unwinds
// through system frames; with MinGW on i686 that ends the host process.
#pragma once

#include <windows.h>

#include <string>

namespace morvane {

class CaptureError;

// What went wrong, as the caller is told: an HRESULT and a description fit
// to show the user.
struct Failure {
  HRESULT scode;
  std::wstring text;
};

// Classifies the exception being handled. Call only inside a catch block.
Failure CurrentFailure();

// Runs body and returns its result. When it throws, on_failure gets the
// failure and its result is returned instead; if even that throws (say, no
// memory is left for the text), fallback is returned.
template <typename Result, typename Body, typename OnFailure>
Result Guard(Result fallback, Body&& body, OnFailure&& on_failure) noexcept {
  try {
    return body();
  } catch (...) {
    try {
      return on_failure(CurrentFailure());
    } catch (...) {
      return fallback;
    }
  }
}

// An HRESULT that is never success: Win32 error 0 would otherwise turn a
// failure into S_OK.
HRESULT HresultFromWin32(DWORD error, HRESULT fallback = E_FAIL);
// The HRESULT a capture error is reported with: its system code, or E_FAIL
// when the fault is ours.
HRESULT HResultOf(const CaptureError& error);

// Hands the failure to the caller's thread as its IErrorInfo (source
// "Morvane") and returns its HRESULT.
HRESULT ReportComFailure(HRESULT scode, const std::wstring& text);
// Writes "Morvane: <where>: <text>" to the debugger output.
void LogFailure(const wchar_t* where, const Failure& failure);

// The guard of a COM method that has no EXCEPINFO to fill.
template <typename Body>
HRESULT ComGuard(Body&& body) noexcept {
  return Guard<HRESULT>(E_UNEXPECTED, body,
                        [](const Failure& failure) { return ReportComFailure(failure.scode, failure.text); });
}

}  // namespace morvane
