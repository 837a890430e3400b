// Preview and overlay: a timer in the control's window renders the device's
// next frame and draws it scaled into the window.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "control.h"
#include "control_window.h"
#include "core/bmp_writer.h"
#include "frame_clock.h"
#include "handles.h"

namespace morvane {

void Control::UpdatePreviewTimer() {
  // A camera streams only while its frames are shown or captured.
  const bool shown = window_ && (preview_ || overlay_);
  for (const auto& device : devices_) {
    if (device.get() == CurrentDevice() && (capturing_ || shown)) continue;
    device->Rest();
  }
  if (!window_) return;
  if ((preview_ || overlay_) && !capturing_) {
    UINT period = static_cast<UINT>(std::max(1.0, std::floor(1000.0 / settings_.preview_rate)));
    ::SetTimer(window_, kPreviewTimer, period, nullptr);
  } else {
    ::KillTimer(window_, kPreviewTimer);
  }
  ::InvalidateRect(window_, nullptr, FALSE);
}

void Control::AnnouncePreviewState() {
  if (!capturing_) SetStatus(preview_ ? StatusPreview() : overlay_ ? StatusOverlay() : StatusIdle());
  FirePreviewChanged();
}

void Control::RenderPreviewFrame() {
  VideoDevice* device = CurrentDevice();
  if (!device) return;
  FrameFormat format = CaptureFormat();
  if (still_bits_.size() != format.ImageSize() || still_format_.width != format.width ||
      still_format_.height != format.height) {
    still_bits_.assign(format.ImageSize(), 0);
    still_format_ = format;
  }
  ++preview_frame_;
  device->Render(still_format_, still_bits_.data(), preview_frame_,
                 SlotMicroseconds(preview_frame_, settings_.preview_rate));
}

void Control::DrawFrame(HDC dc, const RECT& target, const FrameFormat& format, const std::uint8_t* bits,
                        bool overlay_mark) const {
  auto header = MakeBitmapInfoHeader(format);
  BITMAPINFO info{};
  std::memcpy(&info.bmiHeader, header.data(), sizeof(info.bmiHeader));
  ::SetStretchBltMode(dc, COLORONCOLOR);
  ::StretchDIBits(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, 0,
                  format.width, format.height, bits, &info, DIB_RGB_COLORS, SRCCOPY);
  if (overlay_mark) {
    // Overlay stands for a picture the card puts on screen by itself; we
    // mark it so the two modes can be told apart.
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 0));
    ::TextOutW(dc, target.left + 4, target.top + 4, L"OVERLAY", 7);
  }
}

bool Control::CurrentFrame(FrameFormat& format, const std::uint8_t*& bits) {
  if (capturing_ && live_bits_) {
    format = live_format_;
    bits = live_bits_;
    return true;
  }
  FrameFormat wanted = CaptureFormat();
  if (still_bits_.empty() || still_format_.width != wanted.width || still_format_.height != wanted.height) {
    RenderPreviewFrame();
  }
  if (still_bits_.empty()) return false;
  format = still_format_;
  bits = still_bits_.data();
  return true;
}

void Control::OnTimer() {
  if (capturing_ || (!preview_ && !overlay_)) return;
  RenderPreviewFrame();
  if (still_bits_.empty()) return;
  WindowDc dc(window_);
  RECT client{};
  ::GetClientRect(window_, &client);
  if (dc.get()) DrawFrame(dc.get(), client, still_format_, still_bits_.data(), overlay_);
}

void Control::OnPaint() {
  PaintScope paint(window_);
  RECT client{};
  ::GetClientRect(window_, &client);
  const bool showing = preview_ || overlay_ || capturing_;
  FrameFormat format;
  const std::uint8_t* bits = nullptr;
  if (showing && CurrentFrame(format, bits)) {
    DrawFrame(paint.dc(), client, format, bits, overlay_ && !capturing_);
  } else {
    ::FillRect(paint.dc(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
}

void Control::OnLeftButtonDown() {
  if (capturing_ && settings_.stop_on_left_click) RequestStop(StopReason::kUserKeyOrClick);
  FireWithoutArguments(kEventClick);
}

void Control::OnRightButtonDown() {
  if (capturing_ && settings_.stop_on_right_click) RequestStop(StopReason::kUserKeyOrClick);
}

void Control::OnLeftButtonDoubleClick() { FireWithoutArguments(kEventDblClick); }

void Control::OnWindowFailure(const Failure& failure) noexcept {
  LogFailure(L"window", failure);
  // The next timer tick or paint would most likely fail the same way: the
  // preview stops, and the user sees why in the status line and the host
  // hears it through the Error event.
  const bool was_showing = preview_ || overlay_;
  preview_ = false;
  overlay_ = false;
  if (window_) {
    ::KillTimer(window_, kPreviewTimer);
    ::InvalidateRect(window_, nullptr, FALSE);
  }
  try {
    SetStatus(failure.text.c_str());
    FireError(failure.scode, failure.text);
    if (was_showing) FirePreviewChanged();
  } catch (...) {
    // Reporting is best effort; the window itself must survive.
  }
}

void Control::OnWindowDestroyed() {
  window_ = nullptr;
  // The window went with its parent (the host closed without telling us):
  // a running capture has nowhere left to report to.
  if (capturing_) RequestStop(StopReason::kClosed);
}

}  // namespace morvane
