// A static label: left-aligned or centred, with its own colours.
#pragma once

#include "widget.h"

namespace forms {

class Label final : public Widget {
 public:
  Label(EventRunner& runner, const std::wstring& caption, bool centred, const WidgetPlacement& placement);
  std::wstring Caption() const;
};

}  // namespace forms
