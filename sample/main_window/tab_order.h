// Tab and Shift+Tab through the whole main window by the layout's tab
// indexes. The dialog manager only walks the children of one container, so
// on its own it would never step from a panel's last field into the next
// panel, nor visit the window's widgets in their tab-index order.
#pragma once

#include <windows.h>

namespace sample {

// The widget that takes the focus after (or before) the one holding `from`,
// skipping labels, hidden and disabled widgets; wraps around. `from` may be
// any window inside a widget (the edit part of a list, the control's own
// window). Returns nullptr when no widget can take the focus.
HWND NextInTabOrder(HWND main_window, HWND from, bool backwards);

}  // namespace sample
