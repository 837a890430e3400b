// A single-line text field. Writing a different text runs the change
// handler; focus loss is reported only when the focus moves on to another
// widget of the same form.
#pragma once

#include "forms/widget.h"

namespace forms {

class TextBox final : public Widget {
 public:
  TextBox(EventRunner& runner, const std::wstring& text, bool read_only, const WidgetPlacement& placement);

  void SetText(const std::wstring& text);
  void OnChange(Handler handler) { change_ = std::move(handler); }
  void OnLostFocus(Handler handler) { lost_focus_ = std::move(handler); }

  void OnCommand(WORD code) override;
  // The font, and the inner margins that go with it.
  void SetFont(HFONT font) override;

 private:
  Handler change_;
  Handler lost_focus_;
  bool writing_ = false;
  bool in_lost_focus_ = false;
};

}  // namespace forms
