// The control's own child window, in which the preview shows.
#pragma once

#include <windows.h>

namespace morvane {

class Control;

constexpr UINT_PTR kPreviewTimer = 1;

// Creates the window as a child of parent; the window routes its messages
// to control until it is destroyed.
// Called when the module unloads: a class left registered would point at
// code that is gone.
void UnregisterControlWindowClass(HINSTANCE instance);

HWND CreateControlWindowFor(Control* control, HWND parent, const RECT& position);

}  // namespace morvane
