// What the host does with the control's two handled events. The receiver
// must not throw: these are called from inside a COM method.
#pragma once

#include <cstdint>

namespace sample {

class ControlEvents {
 public:
  virtual void OnCaptureComplete(std::int32_t captured, std::int32_t dropped) noexcept = 0;
  // stop is the control's own flag, written by the receiver.
  virtual void OnStreamFrame(std::int32_t width, std::int32_t height, std::int32_t bitmap_info,
                             std::int32_t bits, std::int16_t* stop) noexcept = 0;

 protected:
  ~ControlEvents() = default;
};

}  // namespace sample
