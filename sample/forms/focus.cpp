#include "forms/focus.h"

namespace forms {
namespace {

bool CanTakeFocus(HWND form, HWND widget) {
  return widget != nullptr && IsWindow(widget) && IsChild(form, widget) && IsWindowVisible(widget) &&
         IsWindowEnabled(widget);
}

}  // namespace

bool FocusMovedWithinForm(HWND losing) {
  HWND form = GetAncestor(losing, GA_ROOT);
  HWND now = GetFocus();
  // The frame itself is no widget: the system parks the focus there only on
  // its way elsewhere (minimizing, activation changes).
  return form != nullptr && now != nullptr && now != losing && IsChild(form, now);
}

bool FocusKeeper::OnActivate(HWND form, WPARAM wparam) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    // Only a widget of this form is worth remembering; when the focus has
    // already gone elsewhere the earlier one stays.
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(form, focus)) remembered_ = focus;
    return false;
  }
  if (HIWORD(wparam) != 0) return false;  // activated while minimized: no widget shows
  // A widget that holds the focus already keeps it.
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(form, focus)) return true;
  return OnFrameFocus(form);
}

bool FocusKeeper::OnFrameFocus(HWND form) {
  if (IsIconic(form)) return false;
  HWND target = Target(form);
  if (target == nullptr) return false;
  SetFocus(target);
  return true;
}

HWND FocusKeeper::Target(HWND form) const {
  if (CanTakeFocus(form, remembered_)) return remembered_;
  HWND first = first_stop_ != nullptr ? first_stop_(form) : nullptr;
  return CanTakeFocus(form, first) ? first : nullptr;
}

}  // namespace forms
