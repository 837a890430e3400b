#include "clip_form.h"

#include <utility>

#include "boundary_guard.h"
#include "error_report.h"
#include "tool_window.h"
#include "window_class.h"

namespace sample {
namespace {

constexpr wchar_t kClassName[] = L"KitSampleClipForm";
constexpr wchar_t kProgramTitle[] = L"sample";
constexpr wchar_t kCopyFailed[] = L"コピー失敗";
// Another program may hold the clipboard for a moment; asking again a few
// times is kinder than reporting an error that ends the program.
constexpr int kOpenClipboardTries = 10;
constexpr DWORD kOpenClipboardPauseMs = 20;

struct FormLayout {
  const wchar_t* caption;
  int client_width_twips;
  int client_height_twips;
  DWORD style;
  DWORD ex_style;
};

constexpr FormLayout kLayout = {
    L"ClipBoard", 4680, 3480,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
    WS_EX_TOOLWINDOW,
};

class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) {
    for (int i = 0; i < kOpenClipboardTries && !open_; ++i) {
      if (i > 0) Sleep(kOpenClipboardPauseMs);
      open_ = OpenClipboard(owner) != FALSE;
    }
    if (!open_) throw tool_window::LastError(L"クリップボードを開けません。");
  }
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

 private:
  bool open_ = false;
};

class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
  ~PaintScope() { EndPaint(hwnd_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace

ClipForm::ClipForm() : message_box_(&MessageBoxW) {}

ClipForm& ClipForm::Instance() {
  static ClipForm instance;
  return instance;
}

void ClipForm::EnsureCreated() {
  if (hwnd_) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  forms::RegisterWindowClass(kClassName, CS_DBLCLKS, &ClipForm::WindowProc);
  SIZE outer = tool_window::OuterSizeForClientTwips(kLayout.client_width_twips, kLayout.client_height_twips,
                                                     kLayout.style, kLayout.ex_style);
  HWND hwnd = CreateWindowExW(kLayout.ex_style, kClassName, kLayout.caption, kLayout.style, CW_USEDEFAULT,
                              CW_USEDEFAULT, outer.cx, outer.cy, nullptr, nullptr, instance, this);
  if (!hwnd) throw tool_window::LastError(L"ClipBoard ウィンドウを作成できません。");
}

void ClipForm::Show() {
  EnsureCreated();
  ShowWindow(hwnd_, SW_SHOW);
}

void ClipForm::GetClipBoard() {
  EnsureCreated();
  ClipPicture picture;
  {
    ClipboardSession clipboard(hwnd_);
    picture = ClipPicture::FromOpenClipboard();
  }
  // Only a picture read in full replaces the old one.
  picture_ = std::move(picture);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ClipForm::SetFrameCopier(FrameCopier copier) { copier_ = std::move(copier); }

void ClipForm::SetMessageBoxShower(MessageBoxShower shower) {
  message_box_ = shower ? std::move(shower) : MessageBoxShower(&MessageBoxW);
}

void ClipForm::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK ClipForm::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<ClipForm*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<ClipForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  return forms::GuardMessage(hwnd, [&] { return self->OnMessage(hwnd, message, wparam, lparam); });
}

LRESULT ClipForm::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_LBUTTONDBLCLK:
      OnDoubleClick();
      return 0;
    case WM_NCDESTROY:
      OnNcDestroy();
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void ClipForm::OnPaint() {
  // The class brush has erased the background; the picture goes on top.
  PaintScope paint(hwnd_);
  if (paint.dc()) picture_.Draw(paint.dc());
}

void ClipForm::OnDoubleClick() {
  HWND hwnd = hwnd_;
  forms::RunHandler(hwnd, [&] {
    if (!copier_) {
      throw convert::RuntimeError(static_cast<long>(E_POINTER), L"キャプチャ コントロールがありません。");
    }
    bool copied = false;
    {
      WindowDc dc(hwnd);
      if (!dc.get()) throw tool_window::LastError(L"ClipBoard のデバイス コンテキストを取得できません。");
      copied = copier_(dc.get());
    }
    if (!copied) message_box_(hwnd, kCopyFailed, kProgramTitle, MB_OK);
  });
}

void ClipForm::OnNcDestroy() {
  hwnd_ = nullptr;
  picture_ = ClipPicture();
}

}  // namespace sample
