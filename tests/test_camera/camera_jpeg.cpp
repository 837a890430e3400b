#include "camera_jpeg.h"

#include <cstring>

#include "camera_frames.h"

namespace testcamera {
namespace {

// A camera's usual quality; the number blocks stay black and white.
constexpr int kQuality = 75;
// Pictures up to this many pixels are encoded as they are sent.
constexpr long long kLivePixels = 640 * 480;

}  // namespace

JpegFrames::JpegFrames(int width, int height) : format_{width, height, 24}, picture_(format_.ImageSize()) {
  if (static_cast<long long>(width) * height <= kLivePixels) return;
  for (int n = 0; n < kJpegCycle; ++n) {
    PaintFrame({morvane::PixelLayout::kRgb24, width, height, false}, n, picture_.data());
    codec_.Encode(format_, picture_.data(), kQuality, jpeg_);
    cycle_.push_back(jpeg_);
  }
}

const std::vector<std::uint8_t>& JpegFrames::Encoded(std::int64_t n) {
  if (!cycle_.empty()) return cycle_[static_cast<std::size_t>(n % kJpegCycle)];
  PaintFrame({morvane::PixelLayout::kRgb24, format_.width, format_.height, false}, n, picture_.data());
  codec_.Encode(format_, picture_.data(), kQuality, jpeg_);
  return jpeg_;
}

long JpegFrames::Write(std::int64_t n, std::uint8_t* out, long capacity) {
  const std::vector<std::uint8_t>& jpeg = Encoded(n);
  if (jpeg.size() > static_cast<std::size_t>(capacity)) return 0;
  std::memcpy(out, jpeg.data(), jpeg.size());
  return static_cast<long>(jpeg.size());
}

}  // namespace testcamera
