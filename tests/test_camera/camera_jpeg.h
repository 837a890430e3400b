// The test camera's Motion JPEG: each frame painted as ever (its number in
// blocks, which survive the encoder's quality) and encoded with the
// system's JPEG codec. Up to 640x480 every frame is encoded as it is sent;
// larger pictures take too long for 30 frames a second on these machines,
// so a cycle of them is encoded when streaming starts and sent over and
// over (their numbers then repeat every kJpegCycle frames).
#pragma once

#include <cstdint>
#include <vector>

#include "codec/jpeg_codec.h"
#include "core/frame_convert.h"
#include "core/frame_format.h"

namespace testcamera {

constexpr int kJpegCycle = 30;

class JpegFrames {
 public:
  // On the streaming thread, with COM initialised. Throws CaptureError
  // when the system has no JPEG encoder.
  JpegFrames(int width, int height);
  // Frame n as a whole JPEG into out, at most capacity bytes; its length,
  // or 0 when it does not fit.
  long Write(std::int64_t n, std::uint8_t* out, long capacity);

 private:
  const std::vector<std::uint8_t>& Encoded(std::int64_t n);

  morvane::FrameFormat format_;
  morvane::JpegCodec codec_;
  std::vector<std::uint8_t> picture_;
  std::vector<std::uint8_t> jpeg_;
  std::vector<std::vector<std::uint8_t>> cycle_;
};

}  // namespace testcamera
