#include "main_window/tab_order.h"

#include <algorithm>
#include <vector>

#include "main_window/layout.h"

namespace sample {
namespace {

bool TakesFocus(const LayoutRow& row) { return row.kind != WidgetKind::Label; }

HWND WidgetWindow(HWND main_window, const LayoutRow& row) {
  HWND container = row.container == kWindowId ? main_window : GetDlgItem(main_window, row.container);
  return container ? GetDlgItem(container, row.id) : nullptr;
}

// A widget can take the focus when it and every container up to the main
// window are shown and enabled. The style is read rather than
// IsWindowVisible, which also asks about the main window itself.
bool CanFocus(HWND main_window, HWND widget) {
  for (HWND w = widget; w && w != main_window; w = GetParent(w)) {
    if (!(GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) || !IsWindowEnabled(w)) return false;
  }
  return widget != nullptr;
}

std::vector<const LayoutRow*> StopsInTabOrder() {
  std::vector<const LayoutRow*> stops;
  for (int i = 0; i < kLayoutCount; ++i) {
    if (TakesFocus(kLayout[i])) stops.push_back(&kLayout[i]);
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](const LayoutRow* a, const LayoutRow* b) { return a->tab_index < b->tab_index; });
  return stops;
}

}  // namespace

HWND NextInTabOrder(HWND main_window, HWND from, bool backwards) {
  static const std::vector<const LayoutRow*> stops = StopsInTabOrder();
  const int count = static_cast<int>(stops.size());
  if (count == 0) return nullptr;

  // Where the focus is now: the innermost widget of the table that holds it.
  int current = -1;
  for (HWND w = from; w && w != main_window && current < 0; w = GetParent(w)) {
    for (int i = 0; i < count; ++i) {
      if (WidgetWindow(main_window, *stops[static_cast<size_t>(i)]) == w) {
        current = i;
        break;
      }
    }
  }

  const int step = backwards ? -1 : 1;
  int index = current >= 0 ? current : (backwards ? 0 : count - 1);
  for (int n = 0; n < count; ++n) {
    index = (index + step + count) % count;
    HWND candidate = WidgetWindow(main_window, *stops[static_cast<size_t>(index)]);
    if (CanFocus(main_window, candidate)) return candidate;
  }
  return nullptr;
}

}  // namespace sample
