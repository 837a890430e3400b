#include "forms/check_box.h"

#include "convert/runtime_error.h"

namespace forms {

CheckBox::CheckBox(EventRunner& runner, const std::wstring& caption, const WidgetPlacement& placement)
    : ClickableWidget(runner) {
  // BS_3STATE, not the automatic kind: the state changes only through
  // SetState, so that every change runs the handler exactly once.
  CreateControl(L"BUTTON", caption, BS_3STATE | WS_TABSTOP, 0, placement);
}

std::int16_t CheckBox::State() const {
  return static_cast<std::int16_t>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0));
}

void CheckBox::SetState(std::int16_t state) {
  if (state < 0 || state > 2) throw convert::RuntimeError::InvalidPropertyValue();
  if (state == State()) return;
  SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(state), 0);
  if (click_) click_();
}

void CheckBox::OnCommand(WORD code) {
  if (code != BN_CLICKED) return;
  RunUserEvent([this] { SetState(State() == 1 ? 0 : 1); });
}

}  // namespace forms
