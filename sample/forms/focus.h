// The keyboard focus as a form's user sees it. A form is one top-level window
// with its widgets; the focus leaves a widget for another widget of the same
// form, or leaves the form altogether when the form loses activation (a
// message box opens, the user turns to another window or program).
#pragma once

#include <windows.h>

namespace forms {

// Asked from a widget's focus-loss notification, when the system has already
// given the focus to its new owner: true when that owner is another widget of
// the same form, false when the focus left the form (or went nowhere).
bool FocusMovedWithinForm(HWND losing);

// What a dialog does for its controls: the form remembers its focused widget
// when it loses activation and gives the focus back to it when it is active
// again, so typing after a message box goes where it went before. The form
// routes WM_ACTIVATE and WM_SETFOCUS here.
class FocusKeeper {
 public:
  // first_stop: the widget that takes the focus when none is remembered (or
  // the remembered one can no longer take it).
  using FirstStop = HWND (*)(HWND form);
  explicit FocusKeeper(FirstStop first_stop) : first_stop_(first_stop) {}

  // WM_ACTIVATE: remembers on deactivation, restores on activation. Returns
  // true when the message is handled (the form must then not pass it to
  // DefWindowProc, which would put the focus on the form's frame).
  bool OnActivate(HWND form, WPARAM wparam);
  // WM_SETFOCUS on the frame itself: hands the focus on to the widget.
  // Returns true when it did.
  bool OnFrameFocus(HWND form);

 private:
  HWND Target(HWND form) const;

  FirstStop first_stop_;
  HWND remembered_ = nullptr;
};

}  // namespace forms
