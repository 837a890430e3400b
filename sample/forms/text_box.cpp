#include "forms/text_box.h"

#include "forms/focus.h"
#include "forms/last_error.h"

namespace forms {

TextBox::TextBox(EventRunner& runner, const std::wstring& text, bool read_only, const WidgetPlacement& placement)
    : Widget(runner) {
  DWORD style = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | (read_only ? ES_READONLY : 0);
  CreateControl(L"EDIT", text, style, WS_EX_CLIENTEDGE, placement);
}

namespace {

// A form's fields add no margin of their own to the pixel the edit control
// keeps inside its border, so that the narrowest fields (435 twips, 25
// pixels inside the border) show four digits of the form's font whole. The
// edit control's own margins follow the font and take a pixel or more from
// each side.
constexpr WORD kLeftMargin = 0;
constexpr WORD kRightMargin = 0;

}  // namespace

void TextBox::SetFont(HFONT font) {
  Widget::SetFont(font);
  // A new font resets the edit control's margins, so they are set after it.
  SendMessageW(hwnd_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(kLeftMargin, kRightMargin));
}

void TextBox::SetText(const std::wstring& text) {
  if (text == Text()) return;
  // The edit control reports its own EN_CHANGE for this write; the handler
  // runs once, here, after the text is in place.
  writing_ = true;
  BOOL ok = SetWindowTextW(hwnd_, text.c_str());
  writing_ = false;
  if (!ok) throw LastError(L"");
  if (change_) change_();
}

void TextBox::OnCommand(WORD code) {
  switch (code) {
    case EN_CHANGE:
      if (!writing_ && change_) RunUserEvent(change_);
      break;
    case EN_KILLFOCUS:
      // Only leaving the field for another widget of the form counts. The
      // form losing activation (a message box, another window or program)
      // is no leaving, and neither is a focus change that the handler
      // itself causes while it runs.
      if (lost_focus_ && !in_lost_focus_ && FocusMovedWithinForm(hwnd_)) {
        in_lost_focus_ = true;
        RunUserEvent(lost_focus_);
        in_lost_focus_ = false;
      }
      break;
    default:
      break;
  }
}

}  // namespace forms
