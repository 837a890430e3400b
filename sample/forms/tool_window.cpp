#include "forms/tool_window.h"

#include "forms/screen_units.h"

namespace forms {

SIZE OuterSizeForClientTwips(int width_twips, int height_twips, DWORD style, DWORD ex_style) {
  RECT rect{0, 0, TwipsToPixelX(width_twips), TwipsToPixelY(height_twips)};
  AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace forms
