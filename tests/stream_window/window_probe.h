// What the tool-window tests read back from a window on the screen: the
// messages it has waiting handled, and the colour of one client pixel.
#pragma once

#include <windows.h>

namespace test_support {

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

}  // namespace test_support
