// A source of frames. The synthetic devices below draw test patterns; a real
// capture driver would be one more implementation of this interface.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/frame_format.h"

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
};

// The devices this control offers, in device-index order.
std::vector<std::unique_ptr<VideoDevice>> MakeSyntheticDevices();

}  // namespace morvane
