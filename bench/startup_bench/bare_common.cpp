#include "bare_common.h"

#include "forms/screen_units.h"
#include "forms/startup_timeline.h"
#include "main_window/layout.h"

namespace bench {

namespace {

constexpr wchar_t kClassName[] = L"BareStartupWindow";

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

bool RegisterBareClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

HWND CreateBareWindow() {
  if (!RegisterBareClass(kClassName, &WindowProc)) return nullptr;
  const sample::WindowLayout& layout = sample::kMainWindowLayout;
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT frame{forms::TwipsToPixelX(layout.client_x), forms::TwipsToPixelY(layout.client_y), 0, 0};
  frame.right = frame.left + forms::TwipsToPixelX(layout.client_width);
  frame.bottom = frame.top + forms::TwipsToPixelY(layout.client_height);
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  return CreateWindowExW(0, kClassName, layout.caption, style, frame.left, frame.top, frame.right - frame.left,
                         frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

int ShowAndRun(HWND window, int show_command) {
  ShowWindow(window, show_command);
  forms::MarkStartup("shown");
  UpdateWindow(window);
  forms::MarkStartup("first paint");
  forms::FinishStartupTimeline();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace bench
