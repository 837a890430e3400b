#include "forms/label.h"

namespace forms {

Label::Label(EventRunner& runner, const std::wstring& caption, bool centred, const WidgetPlacement& placement)
    : Widget(runner) {
  // '&' is shown as it stands: a label here names no access key.
  CreateControl(L"STATIC", caption, (centred ? SS_CENTER : SS_LEFT) | SS_NOPREFIX, 0, placement);
}

std::wstring Label::Caption() const {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace forms
