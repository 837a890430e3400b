// What the floor programs share: a top-level window with the sample's
// caption and client size that ends the program when it goes, and showing it
// with the same start-up marks the sample writes.
#pragma once

#include <windows.h>

namespace bench {

// Registers a window class with the arrow cursor and the dialog face colour.
bool RegisterBareClass(const wchar_t* name, WNDPROC procedure);
HWND CreateBareWindow();
// Shows and paints the window, writes the timeline and runs the message loop.
int ShowAndRun(HWND window, int show_command);

}  // namespace bench
