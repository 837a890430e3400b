// A push button with a click handler.
#pragma once

#include "widget.h"

namespace forms {

class Button final : public Widget {
 public:
  Button(EventRunner& runner, const std::wstring& caption, const WidgetPlacement& placement);
  void OnClick(Handler handler) { click_ = std::move(handler); }
  void OnCommand(WORD code) override;

 private:
  Handler click_;
};

}  // namespace forms
