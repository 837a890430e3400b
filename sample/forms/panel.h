// A container panel: a plain child window with a sunken 3-D border and the
// button-face background. It draws nothing of its own and passes its
// children's notifications and colour questions on to the form.
#pragma once

#include "widget.h"

namespace forms {

class Panel final : public Widget {
 public:
  Panel(EventRunner& runner, const WidgetPlacement& placement);

 private:
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};

}  // namespace forms
