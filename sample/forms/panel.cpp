#include "panel.h"

#include "boundary_guard.h"
#include "runtime_error.h"
#include "window_class.h"

namespace forms {
namespace {

constexpr wchar_t kPanelClass[] = L"SamplePanel";

}  // namespace

Panel::Panel(EventRunner& runner, const WidgetPlacement& placement) : Widget(runner) {
  RegisterWindowClass(kPanelClass, 0, &Panel::PanelProc);
  // Controls inside take part in the form's Tab order.
  CreateControl(kPanelClass, L"", WS_CLIPCHILDREN, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, placement);
}

LRESULT CALLBACK Panel::PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return GuardMessage(hwnd, [&]() -> LRESULT {
    switch (message) {
      case WM_COMMAND:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX:
        // The form routes every widget's notification in one place.
        return SendMessageW(GetParent(hwnd), message, wparam, lparam);
      default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
  });
}

}  // namespace forms
