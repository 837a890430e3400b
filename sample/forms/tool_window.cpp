#include "tool_window.h"

#include <string>

#include "screen_resolution.h"

namespace sample::tool_window {

int TwipsToPixels(int twips, int pixels_per_inch) { return MulDiv(twips, pixels_per_inch, 1440); }

SIZE OuterSizeForClientTwips(int width_twips, int height_twips, DWORD style, DWORD ex_style) {
  const forms::PixelsPerInch screen = forms::ScreenPixelsPerInch();
  RECT rect{0, 0, TwipsToPixels(width_twips, screen.x), TwipsToPixels(height_twips, screen.y)};
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
