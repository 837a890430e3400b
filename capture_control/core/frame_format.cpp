#include "frame_format.h"

namespace morvane {

std::size_t FrameFormat::Stride() const {
  const std::size_t bits = static_cast<std::size_t>(width) * static_cast<std::size_t>(bits_per_pixel);
  return ((bits + 31) & ~static_cast<std::size_t>(31)) / 8;
}

std::size_t FrameFormat::ImageSize() const {
  return Stride() * static_cast<std::size_t>(height);
}

bool IsValidFrameSize(int width, int height) {
  return width >= kMinFrameSide && width <= kMaxFrameSide && height >= kMinFrameSide &&
         height <= kMaxFrameSide;
}

bool IsValidFrameFormat(const FrameFormat& format) {
  return IsValidFrameSize(format.width, format.height) && format.bits_per_pixel == 24;
}

}  // namespace morvane
