// A container panel: a plain child window with a sunken 3-D border and the
// button-face background. It paints the labels placed on it and passes its
// children's notifications and colour questions on to the form.
#pragma once

#include "forms/painted_label.h"
#include "forms/widget.h"
#include "forms/window.h"

namespace forms {

class Panel final : public Widget, public Window<Panel> {
 public:
  Panel(EventRunner& runner, const WidgetPlacement& placement);

  using Widget::hwnd;
  LabelLayer& labels() { return labels_; }
  const LabelLayer& labels() const { return labels_; }

 private:
  friend class Window<Panel>;

  LRESULT Route(UINT message, WPARAM wparam, LPARAM lparam);

  LabelLayer labels_;
};

}  // namespace forms
