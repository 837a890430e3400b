#include "stream_form.h"

#include <cstdint>

#include "boundary_guard.h"
#include "runtime_error.h"
#include "tool_window.h"
#include "window_class.h"

namespace sample {
namespace {

constexpr wchar_t kClassName[] = L"KitSampleStreamForm";

// How the window looks when it is created; sizes in twips as the form was designed.
struct FormLayout {
  const wchar_t* caption;
  int client_width_twips;
  int client_height_twips;
  DWORD style;
  DWORD ex_style;
};

constexpr FormLayout kLayout = {
    L"StreamForm", 4680, 3195,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
    // A tool window without an owner stays out of the taskbar.
    WS_EX_TOOLWINDOW,
};

// The control hands its buffers over as 32-bit values; they are addresses, so
// they widen without sign extension.
const void* AddressFromEvent(long value) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(value)));
}

}  // namespace

StreamForm& StreamForm::Instance() {
  static StreamForm instance;
  return instance;
}

void StreamForm::EnsureCreated() {
  if (hwnd_) return;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  forms::RegisterWindowClass(kClassName, CS_OWNDC, &StreamForm::WindowProc);
  SIZE outer = tool_window::OuterSizeForClientTwips(kLayout.client_width_twips, kLayout.client_height_twips,
                                                      kLayout.style, kLayout.ex_style);
  HWND hwnd = CreateWindowExW(kLayout.ex_style, kClassName, kLayout.caption, kLayout.style, CW_USEDEFAULT,
                              CW_USEDEFAULT, outer.cx, outer.cy, nullptr, nullptr, instance, this);
  if (!hwnd) throw tool_window::LastError(L"StreamForm を作成できません。");
  if (!dc_) {
    DestroyWindow(hwnd);
    throw tool_window::LastError(L"StreamForm のデバイス コンテキストを取得できません。");
  }
}

void StreamForm::Show() {
  EnsureCreated();
  ShowWindow(hwnd_, SW_SHOW);
}

void StreamForm::DrawFrame(long width, long height, long bitmap_info_address, long bits_address) {
  if (!hwnd_ || !dc_) {
    throw convert::RuntimeError(static_cast<long>(HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE)),
                                L"StreamForm がありません。");
  }
  // A failed draw (bad addresses, empty frame) is not worth stopping the
  // capture for: the next frame simply tries again.
  StretchDIBits(dc_, 0, 0, width, height, 0, 0, width, height, AddressFromEvent(bits_address),
                static_cast<const BITMAPINFO*>(AddressFromEvent(bitmap_info_address)), DIB_RGB_COLORS, SRCCOPY);
}

void StreamForm::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK StreamForm::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<StreamForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  return forms::GuardMessage(hwnd, [&] { return self->OnMessage(hwnd, message, wparam, lparam); });
}

// Nothing here can throw: the window only remembers its handle and device context.
LRESULT StreamForm::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(hwnd);
      return 0;
    case WM_NCDESTROY:
      OnNcDestroy();
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void StreamForm::OnCreate(HWND hwnd) {
  hwnd_ = hwnd;
  dc_ = GetDC(hwnd);
}

void StreamForm::OnNcDestroy() {
  // A class device context belongs to the window and goes with it.
  hwnd_ = nullptr;
  dc_ = nullptr;
}

}  // namespace sample
