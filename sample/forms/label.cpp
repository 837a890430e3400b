#include "forms/label.h"

namespace forms {

Label::Label(EventRunner& runner, const std::wstring& caption, bool centred, const WidgetPlacement& placement)
    : Widget(runner) {
  // '&' is shown as it stands: a label here names no access key.
  CreateControl(L"STATIC", caption, (centred ? SS_CENTER : SS_LEFT) | SS_NOPREFIX, 0, placement);
}

}  // namespace forms
