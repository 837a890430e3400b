// A push button with a click handler.
#pragma once

#include "forms/widget.h"

namespace forms {

class Button final : public ClickableWidget {
 public:
  Button(EventRunner& runner, const std::wstring& caption, const WidgetPlacement& placement);
  void OnCommand(WORD code) override;
};

}  // namespace forms
