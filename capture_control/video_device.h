// A source of frames. The synthetic devices draw test patterns; the system's
// video-input devices (directshow/) are the other implementation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/frame_format.h"
#include "live_feed.h"

namespace morvane {

struct FrameSize {
  int width;
  int height;
};

class VideoDevice {
 public:
  virtual ~VideoDevice() = default;
  virtual const wchar_t* Name() const = 0;
  virtual bool HasFormatDialog() const = 0;
  virtual bool HasSourceDialog() const = 0;
  virtual bool HasOverlay() const = 0;
  // The sizes its format dialog offers, smallest first.
  virtual const std::vector<FrameSize>& Sizes() const = 0;
  // The picture choices its source dialog offers (empty without one).
  virtual std::vector<const wchar_t*> SourceChoices() const = 0;
  virtual void SelectSource(int choice) = 0;
  virtual int SelectedSource() const = 0;
  // Fills format.ImageSize() bytes; never allocates.
  virtual void Render(const FrameFormat& format, std::uint8_t* bits, std::int64_t frame_number,
                      std::int64_t microseconds) = 0;

  // A preview's frame in a window smaller than the stream: the picture of
  // a stream of `streamed`, made straight at the size `shown` by a device
  // that gets it for less than the whole frame (a camera's Motion JPEG,
  // decoded to the size asked). False, bits untouched, for the others:
  // they Render at the stream's size.
  virtual bool RenderShown(const FrameFormat& /*streamed*/, const FrameFormat& /*shown*/, std::uint8_t* /*bits*/) {
    return false;
  }

  // A device that delivers at its own pace (a camera); nullptr for one that
  // renders whenever asked.
  virtual LiveFeed* Live() { return nullptr; }
  // Nothing shows its frames any more: a camera may stop streaming.
  virtual void Rest() {}
  // Labels for the format dialog, one per entry of Sizes(), when the device
  // names its formats itself (empty: the sizes are shown).
  virtual std::vector<std::wstring> FormatLabels() const { return {}; }
  // The format dialog's choice, by its index in Sizes().
  virtual void PreferFormat(int) {}
  // Whether its frames come compressed as it streams now (a camera's
  // Motion JPEG), so a capture can keep them as they are.
  virtual bool DeliversCompressed() const { return false; }
  // Shows the device's own settings pages; false when it has none (then
  // HasSourceDialog is false too).
  virtual bool ShowPropertyPages(HWND) { return false; }
};

// The synthetic devices, in device-index order.
std::vector<std::unique_ptr<VideoDevice>> MakeSyntheticDevices();
// The synthetic devices followed by the system's video-input devices.
std::vector<std::unique_ptr<VideoDevice>> MakeAllDevices();

}  // namespace morvane
