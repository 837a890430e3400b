#include "widget.h"

#include <string>

#include "runtime_error.h"

namespace forms {

COLORREF ToColorRef(OleColor color) {
  if (color & 0x80000000UL) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

Widget::~Widget() {
  if (brush_owned_ && brush_ != nullptr) DeleteObject(brush_);
}

int Widget::id() const { return GetDlgCtrlID(hwnd_); }

void Widget::CreateControl(const wchar_t* window_class, const std::wstring& text, DWORD style, DWORD ex_style,
                           const WidgetPlacement& p) {
  hwnd_ = CreateWindowExW(ex_style, window_class, text.c_str(), style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                          p.rect.left, p.rect.top, p.rect.right - p.rect.left, p.rect.bottom - p.rect.top, p.parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) {
    const DWORD error = GetLastError();
    throw convert::RuntimeError(static_cast<long>(HRESULT_FROM_WIN32(error)),
                                L"ウィンドウを作成できません。(" + std::wstring(window_class) + L" " +
                                    std::to_wstring(p.id) + L")");
  }
}

void Widget::SetColors(std::optional<OleColor> back, std::optional<OleColor> text, bool transparent) {
  if (brush_owned_ && brush_ != nullptr) DeleteObject(brush_);
  brush_ = nullptr;
  brush_owned_ = false;
  back_ = back;
  text_ = text;
  transparent_ = transparent;
  if (transparent_) {
    brush_ = GetSysColorBrush(COLOR_BTNFACE);
  } else if (back_) {
    if (*back_ & 0x80000000UL) {
      brush_ = GetSysColorBrush(static_cast<int>(*back_ & 0xFF));
    } else {
      brush_ = CreateSolidBrush(ToColorRef(*back_));
      brush_owned_ = brush_ != nullptr;
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
