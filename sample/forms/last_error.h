// A Win32 call that failed, as the program's run-time error.
#pragma once

#include "convert/runtime_error.h"

namespace forms {

// The thread's last Win32 error as an HRESULT, with what was being done and,
// for a failure on the control's behalf, its name as the source. Some window
// functions fail without setting an error; the error then still carries a
// number that says "failed" (E_FAIL) rather than one that says success.
convert::RuntimeError LastError(const std::wstring& what, const std::wstring& source = {});

}  // namespace forms
