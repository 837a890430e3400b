#include "stream_window/stream_form.h"

#include <cstdint>

#include "convert/runtime_error.h"
#include "forms/last_error.h"

namespace sample {
namespace {

constexpr forms::ToolWindowLayout kLayout = {
    L"KitSampleStreamForm", CS_OWNDC, L"StreamForm", 4680, 3195, L"StreamForm を作成できません。",
};

// The control hands its buffers over as 32-bit values; they are addresses, so
// they widen without sign extension.
const void* AddressFromEvent(long value) {
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(value)));
}

}  // namespace

StreamForm::StreamForm() : ToolWindow(kLayout) {}

void StreamForm::OnCreated() {
  if (dc_ != nullptr) return;
  DestroyWindow(hwnd_);
  throw forms::LastError(L"StreamForm のデバイス コンテキストを取得できません。");
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

LRESULT StreamForm::Route(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      dc_ = GetDC(hwnd_);
      return 0;
    case WM_NCDESTROY:
      // A class device context belongs to the window and goes with it.
      dc_ = nullptr;
      break;
  }
  return Default(message, wparam, lparam);
}

}  // namespace sample
