// What the driver reads off another program's window: its class and its
// text. The text is asked for with a timeout, so a program that hangs fails
// the script instead of stopping the driver.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

std::wstring ClassOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);

}  // namespace uidriver
