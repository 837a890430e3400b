#include "control_window.h"

#include "control.h"
#include "guard.h"
#include "module.h"

namespace morvane {
namespace {

const wchar_t kClassName[] = L"MorvaneCaptureWindow";

LRESULT Route(Control* control, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kPreviewTimer) control->OnTimer();
      return 0;
    case WM_PAINT:
      control->OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the frame covers the whole window
    case WM_LBUTTONDOWN:
      control->OnLeftButtonDown();
      return 0;
    case WM_RBUTTONDOWN:
      control->OnRightButtonDown();
      return 0;
    case WM_LBUTTONDBLCLK:
      control->OnLeftButtonDoubleClick();
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      control->OnWindowDestroyed();
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* control = reinterpret_cast<Control*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!control) return ::DefWindowProcW(window, message, wparam, lparam);
  return Guard<LRESULT>(
      0, [&] { return Route(control, window, message, wparam, lparam); },
      [control](const Failure& failure) {
        control->OnWindowFailure(failure);
        return LRESULT{0};
      });
}

bool RegisterWindowClass() {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (::GetClassInfoExW(ModuleInstance(), kClassName, &existing)) return true;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = &WindowProcedure;
  window_class.hInstance = ModuleInstance();
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = nullptr;
  window_class.lpszClassName = kClassName;
  return ::RegisterClassExW(&window_class) != 0;
}

}  // namespace

void UnregisterControlWindowClass(HINSTANCE instance) { ::UnregisterClassW(kClassName, instance); }

HWND CreateControlWindowFor(Control* control, HWND parent, const RECT& position) {
  if (!RegisterWindowClass()) return nullptr;
  return ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, position.left, position.top,
                           position.right - position.left, position.bottom - position.top, parent, nullptr,
                           ModuleInstance(), control);
}

}  // namespace morvane
