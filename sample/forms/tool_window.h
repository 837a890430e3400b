// What the program's two secondary windows share: their size in twips turned
// into an outer window size, and Win32 failures turned into run-time errors.
#pragma once

#include <windows.h>

#include "runtime_error.h"

namespace sample::tool_window {

// The pixel size of a length in twips on the screen (1440 twips an inch).
int TwipsToPixels(int twips, int pixels_per_inch);

// The outer size of a top-level window whose client area measures the given
// twips on the screen.
SIZE OuterSizeForClientTwips(int width_twips, int height_twips, DWORD style, DWORD ex_style);

// The thread's last Win32 error as an HRESULT, with what was being done.
convert::RuntimeError LastError(const wchar_t* what);

}  // namespace sample::tool_window
