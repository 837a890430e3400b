// What the two floor programs share: a top-level window with the sample's
// caption and client size, and the message loop.
#pragma once

#include <windows.h>

namespace bench {

HWND CreateBareWindow(WNDPROC procedure);
int RunMessageLoop();

}  // namespace bench
