#include "tool_window.h"

#include <string>

namespace sample::tool_window {

int TwipsToPixels(int twips, int pixels_per_inch) { return MulDiv(twips, pixels_per_inch, 1440); }

SIZE OuterSizeForClientTwips(int width_twips, int height_twips, DWORD style, DWORD ex_style) {
  int dpi_x = 96;
  int dpi_y = 96;
  if (HDC screen = GetDC(nullptr)) {
    dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
    dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  RECT rect{0, 0, TwipsToPixels(width_twips, dpi_x), TwipsToPixels(height_twips, dpi_y)};
  AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

convert::RuntimeError LastError(const wchar_t* what) {
  DWORD code = GetLastError();
  // Some window functions fail without setting an error; the report still
  // needs a number that says "failed".
  HRESULT hr = code ? HRESULT_FROM_WIN32(code) : E_FAIL;
  return convert::RuntimeError(static_cast<long>(hr), what);
}

}  // namespace sample::tool_window
