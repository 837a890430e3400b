// The typeface of the program's forms and the styles its widgets are drawn
// in. The hosted control is handed the default style as its ambient font, so
// that whatever text it draws matches the widgets around it.
#pragma once

#include <windows.h>

#include "forms/gdi_handle.h"

namespace forms {

constexpr wchar_t kFormFontFace[] = L"ＭＳ Ｐゴシック";
constexpr BYTE kFormFontCharset = SHIFTJIS_CHARSET;

struct FontStyle {
  int points;
  int weight;
};

constexpr FontStyle kDefaultFontStyle = {9, FW_NORMAL};  // labels, fields, boxes, the hosted control
constexpr FontStyle kButtonFontStyle = {9, FW_BOLD};
constexpr FontStyle kTitleFontStyle = {12, FW_BOLD};

// The form's typeface in the given style at the screen's resolution; an
// empty owner when the system has no font to give.
UniqueFont CreateFormFont(const FontStyle& style);

}  // namespace forms
