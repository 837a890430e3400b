// What the tool-window tests read back from a window on the screen: the
// messages it has waiting handled, the colour of one client pixel, and the
// style bits every tool form shares; and the colours they paint.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// The colours the tool-window tests paint and read back.
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

inline COLORREF ClientPixel(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return colour;
}

// The style of a sizable tool window on its own: caption, system menu and
// sizing border, no minimize or maximize box, not a child, and kept out of
// the taskbar by its extended style. Returns the names of the bits that
// differ, empty when all agree, so that the caller's check names its line.
inline std::string ToolWindowStyleMismatches(HWND hwnd) {
  struct Bit {
    const char* name;
    int index;  // GWL_STYLE or GWL_EXSTYLE
    LONG_PTR value;
  };
  const Bit set[] = {
      {"WS_CAPTION", GWL_STYLE, WS_CAPTION},
      {"WS_SYSMENU", GWL_STYLE, WS_SYSMENU},
      {"WS_THICKFRAME", GWL_STYLE, WS_THICKFRAME},
      {"WS_EX_TOOLWINDOW", GWL_EXSTYLE, WS_EX_TOOLWINDOW},
  };
  const Bit clear[] = {
      {"WS_MINIMIZEBOX", GWL_STYLE, WS_MINIMIZEBOX},
      {"WS_MAXIMIZEBOX", GWL_STYLE, WS_MAXIMIZEBOX},
      {"WS_CHILD", GWL_STYLE, WS_CHILD},
      {"WS_EX_APPWINDOW", GWL_EXSTYLE, WS_EX_APPWINDOW},
  };
  std::string mismatches;
  auto has = [hwnd](const Bit& bit) { return (GetWindowLongPtrW(hwnd, bit.index) & bit.value) == bit.value; };
  for (const Bit& bit : set) {
    if (!has(bit)) mismatches += std::string(" missing ") + bit.name;
  }
  for (const Bit& bit : clear) {
    if (has(bit)) mismatches += std::string(" unexpected ") + bit.name;
  }
  return mismatches;
}

}  // namespace test_support
