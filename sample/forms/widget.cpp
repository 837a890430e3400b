#include "widget.h"

#include <string>

#include "last_error.h"
#include "runtime_error.h"

namespace forms {

COLORREF ToColorRef(OleColor color) {
  if (color & 0x80000000UL) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

Widget::~Widget() = default;

int Widget::id() const { return GetDlgCtrlID(hwnd_); }

void Widget::CreateControl(const wchar_t* window_class, const std::wstring& text, DWORD style, DWORD ex_style,
                           const WidgetPlacement& p) {
  hwnd_ = CreateWindowExW(ex_style, window_class, text.c_str(), style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                          p.rect.left, p.rect.top, p.rect.right - p.rect.left, p.rect.bottom - p.rect.top, p.parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) {
    throw LastError(L"ウィンドウを作成できません。(" + std::wstring(window_class) + L" " + std::to_wstring(p.id) +
                    L")");
  }
}

void Widget::SetColors(std::optional<OleColor> back, std::optional<OleColor> text, bool transparent) {
  owned_brush_.reset();
  brush_ = nullptr;
  back_ = back;
  text_ = text;
  transparent_ = transparent;
  if (transparent_) {
    brush_ = GetSysColorBrush(COLOR_BTNFACE);
  } else if (back_) {
    if (*back_ & 0x80000000UL) {
      brush_ = GetSysColorBrush(static_cast<int>(*back_ & 0xFF));
    } else {
      owned_brush_.reset(CreateSolidBrush(ToColorRef(*back_)));
      brush_ = owned_brush_.get();
    }
  }
}

HBRUSH Widget::OnColor(HDC dc) {
  if (!back_ && !text_ && !transparent_) return nullptr;
  if (text_) SetTextColor(dc, ToColorRef(*text_));
  if (transparent_) {
    SetBkMode(dc, TRANSPARENT);
  } else if (back_) {
    SetBkColor(dc, ToColorRef(*back_));
  }
  return brush_ != nullptr ? brush_ : GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace forms
