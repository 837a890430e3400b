// Preview and overlay: a timer in the control's window renders the device's
// next frame and draws it scaled into the window.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "control.h"
#include "control_window.h"
#include "core/bmp_writer.h"
#include "core/capture_error.h"
#include "core/frame_convert.h"
#include "frame_clock.h"
#include "handles.h"
#include "messages.h"

namespace morvane {
namespace {

// How long a still waits for a camera that was not streaming: a camera
// takes a moment to start, but a still must not hang the host.
constexpr DWORD kStillWaitMs = 2000;


}  // namespace

void Control::UpdatePreviewTimer() {
  // A camera streams only while its frames are shown or captured.
  const bool shown = window_ && (preview_ || overlay_);
  for (const auto& device : devices_) {
    if (device.get() == CurrentDevice() && (capture_.capturing || shown)) continue;
    device->Rest();
  }
  if (!window_) return;
  if ((preview_ || overlay_) && !capture_.capturing) {
    UINT period = static_cast<UINT>(std::max(1.0, std::floor(1000.0 / settings_.preview_rate)));
    ::SetTimer(window_, kPreviewTimer, period, nullptr);
  } else {
    ::KillTimer(window_, kPreviewTimer);
  }
  ::InvalidateRect(window_, nullptr, FALSE);
}

void Control::AnnouncePreviewState() {
  preview_told_width_ = preview_told_height_ = 0;
  if (!capture_.capturing) SetStatus(preview_ ? StatusPreview() : overlay_ ? StatusOverlay() : StatusIdle());
  FirePreviewChanged();
}

FrameFormat Control::ShownFormat() const {
  FrameFormat format = CaptureFormat();
  RECT client{};
  if (!window_ || !::GetClientRect(window_, &client) || client.right <= 0 || client.bottom <= 0) return format;
  format.width = std::min<int>(format.width, client.right);
  format.height = std::min<int>(format.height, client.bottom);
  return format;
}

void Control::RenderPreviewFrame(const FrameFormat& shown) {
  VideoDevice* device = CurrentDevice();
  if (!device) return;
  const FrameFormat wanted = CaptureFormat();
  auto size_still = [this](const FrameFormat& format) {
    if (still_bits_.size() != format.ImageSize() || still_format_.width != format.width ||
        still_format_.height != format.height) {
      still_bits_.assign(format.ImageSize(), 0);
      still_format_ = format;
    }
  };
  ++preview_frame_;
  still_captured_ = false;
  const bool smaller = shown.width != wanted.width || shown.height != wanted.height;
  bool rendered = false;
  if (smaller && device->DeliversCompressed()) {
    size_still(shown);
    rendered = device->RenderShown(wanted, shown, still_bits_.data());
  }
  if (!rendered) {
    size_still(wanted);
    device->Render(still_format_, still_bits_.data(), preview_frame_,
                   SlotMicroseconds(preview_frame_, settings_.preview_rate));
  }
  if (LiveFeed* feed = device->Live()) TellPreviewSize(feed->StreamingFormat(), wanted);
}

void Control::TellPreviewSize(const FrameFormat& streaming, const FrameFormat& shown) {
  if (!preview_ || capture_.capturing || streaming.width == 0) return;
  const bool scaled = streaming.width != shown.width || streaming.height != shown.height;
  const int width = scaled ? streaming.width : 0;
  const int height = scaled ? streaming.height : 0;
  if (width == preview_told_width_ && height == preview_told_height_) return;
  preview_told_width_ = width;
  preview_told_height_ = height;
  if (!scaled) {
    SetStatus(StatusPreview());
    return;
  }
  const std::wstring text = std::wstring(StatusPreview()) + UiText(TextId::kCameraSizeOpen) + std::to_wstring(width) + L" x " +
                            std::to_wstring(height) + L")";
  SetStatus(text.c_str());
}

void Control::TakeLiveStill(LiveFeed& feed, const FrameFormat& wanted) {
  // Whatever happens, a camera started only for this still stops again.
  struct RestAfter {
    Control& control;
    ~RestAfter() { control.UpdatePreviewTimer(); }
  } rest_after{*this};
  const FrameFormat delivered = feed.StartFeed(wanted);
  std::vector<std::uint8_t> frame(delivered.ImageSize());
  const DWORD start = ::GetTickCount();
  for (;;) {
    std::int64_t microseconds = 0;
    const FeedStatus status = feed.TakeFrame(frame.data(), microseconds);
    if (status == FeedStatus::kFrame) break;
    if (status == FeedStatus::kLost) {
      throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kDeviceLost), ERROR_DEVICE_NOT_CONNECTED);
    }
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= kStillWaitMs) throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kDeviceSendsNothing), ERROR_TIMEOUT);
    HANDLE handles[2];
    const int count = feed.WaitHandles(handles);
    ::WaitForMultipleObjects(static_cast<DWORD>(count), handles, FALSE, kStillWaitMs - elapsed);
  }
  std::vector<std::uint8_t> still(wanted.ImageSize());
  if (delivered.width == wanted.width && delivered.height == wanted.height) {
    still.swap(frame);
  } else {
    ScaleFrame(delivered, frame.data(), wanted, still.data());
  }
  still_bits_.swap(still);
  still_format_ = wanted;
  still_captured_ = false;
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

bool Control::CurrentFrame(FrameFormat& format, const std::uint8_t*& bits, bool from_camera) {
  if (capture_.capturing && capture_.live_bits) {
    format = capture_.live_format;
    bits = capture_.live_bits;
    return true;
  }
  FrameFormat wanted = CaptureFormat();
  const bool sized =
      !still_bits_.empty() && still_format_.width == wanted.width && still_format_.height == wanted.height;
  VideoDevice* device = CurrentDevice();
  LiveFeed* feed = device ? device->Live() : nullptr;
  const bool shown = window_ && (preview_ || overlay_);
  if (feed && !shown) {
    // A camera shown nowhere has no current frame, only the last one of a
    // capture; a still of an earlier moment (or black, before its first
    // frame) would be reported as a success. A repaint does not start it.
    if (from_camera && (!sized || !still_captured_)) {
      TakeLiveStill(*feed, wanted);
    } else if (!sized) {
      still_bits_.assign(wanted.ImageSize(), 0);
      still_format_ = wanted;
    }
  } else if (!sized) {
    RenderPreviewFrame(wanted);
  }
  if (still_bits_.empty()) return false;
  format = still_format_;
  bits = still_bits_.data();
  return true;
}

void Control::OnTimer() {
  if (capture_.capturing || (!preview_ && !overlay_)) return;
  RenderPreviewFrame(ShownFormat());
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
  const bool showing = preview_ || overlay_ || capture_.capturing;
  FrameFormat format;
  const std::uint8_t* bits = nullptr;
  // The last preview frame is shown again as it was made, whatever its
  // size: the still commands render one at the capture size when asked.
  const bool preview_frame = !capture_.capturing && !still_bits_.empty();
  if (preview_frame) {
    format = still_format_;
    bits = still_bits_.data();
  }
  if (showing && (preview_frame || CurrentFrame(format, bits))) {
    DrawFrame(paint.dc(), client, format, bits, overlay_ && !capture_.capturing);
  } else {
    ::FillRect(paint.dc(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
}

void Control::OnLeftButtonDown() {
  if (capture_.capturing && settings_.stop_on_left_click) capture_.RequestStop(StopReason::kUserKeyOrClick);
  FireWithoutArguments(kEventClick);
}

void Control::OnRightButtonDown() {
  if (capture_.capturing && settings_.stop_on_right_click) capture_.RequestStop(StopReason::kUserKeyOrClick);
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
    // A camera shown before stops with the preview.
    for (const auto& device : devices_) {
      if (device.get() != CurrentDevice() || !capture_.capturing) device->Rest();
    }
    SetStatus(failure.text.c_str());
    FireError(failure.scode, failure.text);
    if (was_showing) FirePreviewChanged();
  } catch (...) {
    // Reporting is best effort; the window itself must survive.
  }
}

void Control::OnWindowDestroyed() {
  window_ = nullptr;
  if (!capture_.capturing) {
    for (const auto& device : devices_) device->Rest();
  }
  // The window went with its parent (the host closed without telling us):
  // a running capture has nowhere left to report to.
  if (capture_.capturing) capture_.RequestStop(StopReason::kClosed);
}

}  // namespace morvane
