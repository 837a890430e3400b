#include "clip_window/clip_form.h"

#include <utility>

#include "forms/error_report.h"
#include "forms/gdi_handle.h"
#include "forms/last_error.h"

namespace sample {
namespace {

constexpr wchar_t kCopyFailed[] = L"コピー失敗";
// Another program may hold the clipboard for a moment; asking again a few
// times is kinder than reporting an error that ends the program.
constexpr int kOpenClipboardTries = 10;
constexpr DWORD kOpenClipboardPauseMs = 20;

constexpr forms::ToolWindowLayout kLayout = {
    L"KitSampleClipForm", CS_DBLCLKS, L"ClipBoard", 4680, 3480, L"ClipBoard ウィンドウを作成できません。",
};

class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) {
    for (int i = 0; i < kOpenClipboardTries && !open_; ++i) {
      if (i > 0) Sleep(kOpenClipboardPauseMs);
      open_ = OpenClipboard(owner) != FALSE;
    }
    if (!open_) throw forms::LastError(L"クリップボードを開けません。");
  }
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

 private:
  bool open_ = false;
};

}  // namespace

ClipForm::ClipForm() : ToolWindow(kLayout), message_box_(&MessageBoxW) {}

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

LRESULT ClipForm::Route(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_LBUTTONDBLCLK: OnDoubleClick(); return 0;
    case WM_NCDESTROY:
      // The picture goes with the window; a new window starts empty.
      picture_ = ClipPicture();
      break;
  }
  return Default(message, wparam, lparam);
}

void ClipForm::OnPaint() {
  // The class brush has erased the background; the picture goes on top.
  forms::PaintScope paint(hwnd_);
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
      forms::WindowDc dc(hwnd);
      if (!dc.get()) throw forms::LastError(L"ClipBoard のデバイス コンテキストを取得できません。");
      copied = copier_(dc.get());
    }
    if (!copied) message_box_(hwnd, kCopyFailed, forms::kProgramTitle, MB_OK);
  });
}

}  // namespace sample
