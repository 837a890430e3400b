#include "forms/form_font.h"

#include "forms/screen_resolution.h"

namespace forms {
namespace {

constexpr int kPointsPerInch = 72;

}  // namespace

UniqueFont CreateFormFont(const FontStyle& style) {
  const int height = -MulDiv(style.points, ScreenPixelsPerInch().y, kPointsPerInch);
  return UniqueFont(CreateFontW(height, 0, 0, 0, style.weight, FALSE, FALSE, FALSE, kFormFontCharset,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                kFormFontFace));
}

}  // namespace forms
