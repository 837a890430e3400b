// A container panel: a plain child window with a sunken 3-D border and the
// button-face background. It draws nothing of its own and passes its
// children's notifications and colour questions on to the form.
#pragma once

#include "forms/widget.h"
#include "forms/window.h"

namespace forms {

class Panel final : public Widget, public Window<Panel> {
 public:
  Panel(EventRunner& runner, const WidgetPlacement& placement);

  using Widget::hwnd;

 private:
  friend class Window<Panel>;

  LRESULT Route(UINT message, WPARAM wparam, LPARAM lparam);
};

}  // namespace forms
