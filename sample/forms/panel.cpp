#include "forms/panel.h"

namespace forms {
namespace {

constexpr wchar_t kPanelClass[] = L"SamplePanel";

}  // namespace

Panel::Panel(EventRunner& runner, const WidgetPlacement& p) : Widget(runner) {
  const std::wstring failure = CreationFailure(kPanelClass, p.id);
  // Controls inside take part in the form's Tab order.
  CreateWindowFrom({kPanelClass, 0, nullptr, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, L"",
                    WS_CLIPCHILDREN | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, p.rect.left, p.rect.top,
                    p.rect.right - p.rect.left, p.rect.bottom - p.rect.top, p.parent, p.id, failure.c_str(), L""});
  Widget::hwnd_ = Window<Panel>::hwnd_;
}

LRESULT Panel::Route(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      // The form routes every widget's notification in one place.
      return SendMessageW(GetParent(Window<Panel>::hwnd_), message, wparam, lparam);
    default: return Default(message, wparam, lparam);
  }
}

}  // namespace forms
