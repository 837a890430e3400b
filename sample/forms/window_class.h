// One way for every window of the program to register its class: once, with
// the button-face background and the arrow cursor.
#pragma once

#include <windows.h>

namespace forms {

// Registers the class in this module the first time it is asked for; throws
// convert::RuntimeError (the Win32 error as an HRESULT) when it cannot.
void RegisterWindowClass(const wchar_t* class_name, UINT class_style, WNDPROC proc, HICON icon = nullptr);

}  // namespace forms
