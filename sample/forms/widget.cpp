#include "forms/widget.h"

#include <string>

#include "convert/runtime_error.h"
#include "forms/last_error.h"

namespace forms {

COLORREF ToColorRef(OleColor color) {
  if (color & 0x80000000UL) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0x00FFFFFF);
}

Widget::~Widget() = default;

std::wstring Widget::Text() const {
  const int length = GetWindowTextLengthW(hwnd_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

int Widget::id() const { return GetDlgCtrlID(hwnd_); }

void Widget::CreateControl(const wchar_t* window_class, const std::wstring& text, DWORD style, DWORD ex_style,
                           const WidgetPlacement& p) {
  hwnd_ = CreateWindowExW(ex_style, window_class, text.c_str(), style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                          p.rect.left, p.rect.top, p.rect.right - p.rect.left, p.rect.bottom - p.rect.top, p.parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) throw LastError(CreationFailure(window_class, p.id));
}

std::wstring Widget::CreationFailure(const wchar_t* window_class, int id) {
  return L"ウィンドウを作成できません。(" + std::wstring(window_class) + L" " + std::to_wstring(id) + L")";
}

void Widget::SetColors(const WidgetColors& colors) {
  owned_brush_.reset();
  brush_ = nullptr;
  colors_ = colors;
  if (colors_.transparent) {
    brush_ = GetSysColorBrush(COLOR_BTNFACE);
  } else if (colors_.back) {
    if (*colors_.back & 0x80000000UL) {
      brush_ = GetSysColorBrush(static_cast<int>(*colors_.back & 0xFF));
    } else {
      owned_brush_.reset(CreateSolidBrush(ToColorRef(*colors_.back)));
      brush_ = owned_brush_.get();
    }
  }
}

HBRUSH Widget::OnColor(HDC dc) {
  if (!colors_.back && !colors_.text && !colors_.transparent) return nullptr;
  if (colors_.text) SetTextColor(dc, ToColorRef(*colors_.text));
  if (colors_.transparent) {
    SetBkMode(dc, TRANSPARENT);
  } else if (colors_.back) {
    SetBkColor(dc, ToColorRef(*colors_.back));
  }
  return brush_ != nullptr ? brush_ : GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace forms
