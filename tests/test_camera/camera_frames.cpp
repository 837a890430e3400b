#include "camera_frames.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace testcamera {
namespace {

constexpr std::uint8_t kWhiteLuma = 235;
constexpr std::uint8_t kBlackLuma = 16;
constexpr std::uint8_t kGreyLuma = 90;
constexpr std::uint8_t kNeutralChroma = 128;

// Luma of pixel (x, picture row y) of frame n.
std::uint8_t Luma(int width, int height, int x, int y, std::int64_t n) {
  if (y < height / 4) {
    const int bit = kFrameNumberBits - 1 - x * kFrameNumberBits / width;
    return ((n >> bit) & 1) ? kWhiteLuma : kBlackLuma;
  }
  // A bar an eighth of the width wide, one step right per frame.
  const int bar = static_cast<int>((n * 4) % width);
  const int distance = (x - bar + width) % width;
  return distance < width / 8 ? kWhiteLuma : kGreyLuma;
}

std::uint8_t FullRange(std::uint8_t luma) {
  return luma == kWhiteLuma ? 255 : luma == kBlackLuma ? 0 : morvane::YuvToBgr(luma, 128, 128).g;
}

}  // namespace

void PaintFrame(const morvane::SourceFrame& source, std::int64_t n, std::uint8_t* bits) {
  const std::size_t stride = morvane::SourceStride(source);
  std::memset(bits, 0, morvane::SourceImageSize(source));
  for (int y = 0; y < source.height; ++y) {
    const int stored = source.top_down ? y : source.height - 1 - y;
    std::uint8_t* row = bits + static_cast<std::size_t>(stored) * stride;
    for (int x = 0; x < source.width; ++x) {
      const std::uint8_t luma = Luma(source.width, source.height, x, y, n);
      if (source.layout == morvane::PixelLayout::kYuy2) {
        row[x * 2] = luma;
        row[x * 2 + 1] = kNeutralChroma;
      } else {
        std::memset(row + x * 3, FullRange(luma), 3);
      }
    }
  }
}

long ReadFrameNumber(const morvane::FrameFormat& format, const std::uint8_t* bits) {
  const int y = format.height / 8;
  const std::uint8_t* row = bits + static_cast<std::size_t>(format.height - 1 - y) * format.Stride();
  long number = 0;
  for (int bit = 0; bit < kFrameNumberBits; ++bit) {
    const int x = (2 * bit + 1) * format.width / (2 * kFrameNumberBits);
    const std::uint8_t value = row[x * 3 + 1];
    if (value > 64 && value < 192) return -1;
    number = number * 2 + (value >= 192 ? 1 : 0);
  }
  return number;
}

bool HoldsPicture(const morvane::FrameFormat& format, const std::uint8_t* bits) {
  const std::uint8_t* row = bits + static_cast<std::size_t>(format.height / 2) * format.Stride();
  return std::any_of(row, row + format.width * 3, [](std::uint8_t value) { return value != 0; });
}

long CameraStreams() {
  HMODULE camera = ::GetModuleHandleW(L"MorvaneTestCamera.dll");
  if (!camera) return 0;
  using Streams = LONG(WINAPI*)();
  auto streams = reinterpret_cast<Streams>(reinterpret_cast<void*>(::GetProcAddress(camera, "TestCameraStreams")));
  return streams ? streams() : -1;
}

}  // namespace testcamera
