#include "panel.h"

#include "runtime_error.h"

namespace forms {
namespace {

constexpr wchar_t kPanelClass[] = L"SamplePanel";

void RegisterPanelClass(WNDPROC proc) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPanelClass;
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw convert::RuntimeError(static_cast<long>(HRESULT_FROM_WIN32(GetLastError())), L"");
  registered = true;
}

}  // namespace

Panel::Panel(EventRunner& runner, const WidgetPlacement& placement) : Widget(runner) {
  RegisterPanelClass(&Panel::PanelProc);
  // Controls inside take part in the form's Tab order.
  CreateControl(kPanelClass, L"", WS_CLIPCHILDREN, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, placement);
}

LRESULT CALLBACK Panel::PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
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
}

}  // namespace forms
