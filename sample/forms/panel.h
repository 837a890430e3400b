// A container panel: a plain child window with a sunken 3-D border and the
// button-face background. It paints the labels placed on it and passes its
// children's notifications and colour questions on to the form.
#pragma once

#include "painted_label.h"
#include "widget.h"

namespace forms {

class Panel final : public Widget {
 public:
  Panel(EventRunner& runner, const WidgetPlacement& placement);

  LabelLayer& labels() { return labels_; }
  const LabelLayer& labels() const { return labels_; }

 private:
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  LabelLayer labels_;
};

}  // namespace forms
