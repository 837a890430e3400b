// A compressor of whole frames in the control's layout (24-bit BGR,
// bottom-up DIB), one per encoding thread: the built-in Motion JPEG, or a
// video compressor installed on the machine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace morvane {

class FrameEncoder {
 public:
  virtual ~FrameEncoder() = default;
  // Compresses one frame into out (replaced); key_frame says whether the
  // result stands alone or needs the frames before it. Throws CaptureError.
  virtual void Encode(const std::uint8_t* bits, std::vector<std::uint8_t>& out, bool& key_frame) = 0;
};

// Makes one encoder, on the thread that will use it (COM is initialised
// there). Throws CaptureError when the codec cannot be opened.
using MakeFrameEncoder = std::function<std::unique_ptr<FrameEncoder>()>;

}  // namespace morvane
