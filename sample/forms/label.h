// A label: a static text control of its own, so that assistive tools, test
// tools and a later change of its text or colour find it as a window like
// every other widget. It takes no focus and raises no event.
#pragma once

#include <string>

#include "forms/widget.h"

namespace forms {

class Label final : public Widget {
 public:
  Label(EventRunner& runner, const std::wstring& caption, bool centred, const WidgetPlacement& placement);
};

}  // namespace forms
