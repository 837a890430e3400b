#include "label.h"

namespace forms {

Label::Label(EventRunner& runner, const std::wstring& caption, bool centred, const WidgetPlacement& placement)
    : Widget(runner) {
  CreateControl(L"STATIC", caption, (centred ? SS_CENTER : SS_LEFT) | SS_NOPREFIX, 0, placement);
}

std::wstring Label::Caption() const {
  wchar_t buffer[256] = {};
  GetWindowTextW(hwnd_, buffer, 256);
  return buffer;
}

}  // namespace forms
