#include "frame_convert.h"

#include <cstring>

namespace morvane {
namespace {

std::uint8_t Clamp(int value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// Where packed YUV keeps its four bytes: Y of the first pixel, U, Y of the
// second pixel, V.
struct YuvOffsets {
  int y0, u, y1, v;
};
constexpr YuvOffsets kYuy2Offsets{0, 1, 2, 3};
constexpr YuvOffsets kUyvyOffsets{1, 0, 3, 2};

void ConvertYuvRow(const std::uint8_t* in, int width, const YuvOffsets& at, std::uint8_t* out) {
  for (int x = 0; x < width; x += 2, in += 4) {
    const Bgr first = YuvToBgr(in[at.y0], in[at.u], in[at.v]);
    const Bgr second = YuvToBgr(in[at.y1], in[at.u], in[at.v]);
    *out++ = first.b;
    *out++ = first.g;
    *out++ = first.r;
    *out++ = second.b;
    *out++ = second.g;
    *out++ = second.r;
  }
}

void ConvertRgb32Row(const std::uint8_t* in, int width, std::uint8_t* out) {
  for (int x = 0; x < width; ++x, in += 4) {
    *out++ = in[0];
    *out++ = in[1];
    *out++ = in[2];
  }
}

void ConvertRow(PixelLayout layout, const std::uint8_t* in, int width, std::uint8_t* out) {
  switch (layout) {
    case PixelLayout::kRgb24:
      std::memcpy(out, in, static_cast<std::size_t>(width) * 3);
      break;
    case PixelLayout::kRgb32:
      ConvertRgb32Row(in, width, out);
      break;
    case PixelLayout::kYuy2:
      ConvertYuvRow(in, width, kYuy2Offsets, out);
      break;
    case PixelLayout::kUyvy:
      ConvertYuvRow(in, width, kUyvyOffsets, out);
      break;
  }
}

bool IsPackedYuv(PixelLayout layout) { return layout == PixelLayout::kYuy2 || layout == PixelLayout::kUyvy; }

}  // namespace

int LayoutBitsPerPixel(PixelLayout layout) {
  switch (layout) {
    case PixelLayout::kRgb24:
      return 24;
    case PixelLayout::kRgb32:
      return 32;
    case PixelLayout::kYuy2:
    case PixelLayout::kUyvy:
      return 16;
  }
  return 0;
}

std::size_t SourceStride(const SourceFrame& source) {
  FrameFormat shape;
  shape.width = source.width;
  shape.height = source.height;
  shape.bits_per_pixel = LayoutBitsPerPixel(source.layout);
  return shape.Stride();
}

std::size_t SourceImageSize(const SourceFrame& source) {
  return SourceStride(source) * static_cast<std::size_t>(source.height);
}

bool CanConvert(const SourceFrame& source, const FrameFormat& target) {
  if (!IsValidFrameFormat(target) || !IsValidFrameSize(source.width, source.height)) return false;
  if (source.width != target.width || source.height != target.height) return false;
  if (LayoutBitsPerPixel(source.layout) == 0) return false;
  return !IsPackedYuv(source.layout) || source.width % 2 == 0;
}

bool ConvertFrame(const SourceFrame& source, const std::uint8_t* data, std::size_t size, const FrameFormat& target,
                  std::uint8_t* out) {
  if (!CanConvert(source, target) || !data || size < SourceImageSize(source)) return false;
  const std::size_t in_stride = SourceStride(source);
  const std::size_t out_stride = target.Stride();
  const std::size_t padding = out_stride - static_cast<std::size_t>(target.width) * 3;
  for (int row = 0; row < source.height; ++row) {
    // The target is bottom-up: its first row is the picture's last.
    const int picture_row = source.top_down ? source.height - 1 - row : row;
    std::uint8_t* out_row = out + static_cast<std::size_t>(row) * out_stride;
    ConvertRow(source.layout, data + static_cast<std::size_t>(picture_row) * in_stride, source.width, out_row);
    if (padding) std::memset(out_row + out_stride - padding, 0, padding);
  }
  return true;
}

void ScaleFrame(const FrameFormat& from, const std::uint8_t* in, const FrameFormat& to, std::uint8_t* out) {
  if (!IsValidFrameFormat(from) || !IsValidFrameFormat(to)) return;
  const std::size_t padding = to.Stride() - static_cast<std::size_t>(to.width) * 3;
  for (int row = 0; row < to.height; ++row) {
    const std::int64_t from_row = static_cast<std::int64_t>(row) * from.height / to.height;
    const std::uint8_t* in_row = in + static_cast<std::size_t>(from_row) * from.Stride();
    std::uint8_t* out_row = out + static_cast<std::size_t>(row) * to.Stride();
    for (int x = 0; x < to.width; ++x) {
      const std::size_t from_x = static_cast<std::size_t>(static_cast<std::int64_t>(x) * from.width / to.width);
      std::memcpy(out_row + x * 3, in_row + from_x * 3, 3);
    }
    if (padding) std::memset(out_row + to.Stride() - padding, 0, padding);
  }
}

Bgr YuvToBgr(std::uint8_t y, std::uint8_t u, std::uint8_t v) {
  // BT.601 studio range in 8.8 fixed point, rounded:
  // R = 1.164 (Y-16) + 1.596 (V-128)
  // G = 1.164 (Y-16) - 0.391 (U-128) - 0.813 (V-128)
  // B = 1.164 (Y-16) + 2.018 (U-128)
  const int c = 298 * (y - 16);
  const int d = u - 128;
  const int e = v - 128;
  Bgr pixel;
  pixel.r = Clamp((c + 409 * e + 128) >> 8);
  pixel.g = Clamp((c - 100 * d - 208 * e + 128) >> 8);
  pixel.b = Clamp((c + 516 * d + 128) >> 8);
  return pixel;
}

}  // namespace morvane
