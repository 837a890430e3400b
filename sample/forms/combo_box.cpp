#include "forms/combo_box.h"

#include <new>

#include "convert/runtime_error.h"

namespace forms {

namespace {

// The closed box's frame and the margins around its text, in pixels.
constexpr int kClosedBoxChrome = 6;

}  // namespace

ComboBox::ComboBox(EventRunner& runner, const WidgetPlacement& placement, int drop_height)
    : ClickableWidget(runner), closed_height_(placement.rect.bottom - placement.rect.top) {
  // The height of a combo box's window includes its dropped list.
  WidgetPlacement p = placement;
  p.rect.bottom = p.rect.top + drop_height;
  CreateControl(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, p);
  KeepClosedHeight();
}

void ComboBox::SetFont(HFONT font) {
  Widget::SetFont(font);
  KeepClosedHeight();
}

void ComboBox::KeepClosedHeight() {
  SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), closed_height_ - kClosedBoxChrome);
}

void ComboBox::Clear() { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }

void ComboBox::Add(const std::wstring& entry) {
  LRESULT r = SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  if (r == CB_ERRSPACE) throw std::bad_alloc();
  if (r == CB_ERR) throw convert::RuntimeError::InvalidProcedureCall();
}

std::int16_t ComboBox::Count() const { return static_cast<std::int16_t>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }

std::wstring ComboBox::Entry(std::int16_t index) const {
  LRESULT length = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return L"";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

std::int16_t ComboBox::Selected() const {
  return static_cast<std::int16_t>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
}

void ComboBox::SetSelected(std::int16_t index) {
  if (index < -1 || index >= Count()) throw convert::RuntimeError::InvalidPropertyValue();
  if (index == Selected()) return;
  SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (click_) click_();
}

void ComboBox::OnCommand(WORD code) {
  if (code == CBN_SELCHANGE && click_) RunUserEvent(click_);
}

}  // namespace forms
