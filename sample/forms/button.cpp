#include "forms/button.h"

namespace forms {

Button::Button(EventRunner& runner, const std::wstring& caption, const WidgetPlacement& placement)
    : ClickableWidget(runner) {
  CreateControl(L"BUTTON", caption, BS_PUSHBUTTON | WS_TABSTOP, 0, placement);
}

void Button::OnCommand(WORD code) {
  if (code == BN_CLICKED && click_) RunUserEvent(click_);
}

}  // namespace forms
