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
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK Panel::PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return GuardMessage(hwnd, [&]() -> LRESULT {
    // Null until the constructor has stored it; nothing is painted before.
    const Panel* self = reinterpret_cast<const Panel*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
      case WM_COMMAND:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORLISTBOX:
        // The form routes every widget's notification in one place.
        return SendMessageW(GetParent(hwnd), message, wparam, lparam);
      case WM_PAINT:
        if (self == nullptr) break;
        self->labels_.PaintWindow(hwnd);
        return 0;
      case WM_PRINTCLIENT:
        if (self != nullptr) self->labels_.Paint(reinterpret_cast<HDC>(wparam));
        return 0;
      default:
        break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  });
}

}  // namespace forms
