// Frames that arrive from a capture device, in the layouts devices deliver,
// turned into the one layout the control works in (24-bit BGR, bottom-up,
// see frame_format.h). The layout and size come from the device's media
// type and the buffer's length from the sample: the two are checked against
// each other before a byte is read, since a driver may hand over less than
// its type promises.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frame_format.h"

namespace morvane {

enum class PixelLayout {
  kRgb24,  // B, G, R
  kRgb32,  // B, G, R, unused
  kYuy2,   // Y0, U, Y1, V: two pixels in four bytes
  kUyvy,   // U, Y0, V, Y1
};

struct SourceFrame {
  PixelLayout layout = PixelLayout::kRgb24;
  int width = 0;
  int height = 0;
  // Rows from the top of the picture first. DIB RGB is bottom-up unless its
  // height is negative; packed YUV is always top-down.
  bool top_down = false;
};

// Bits per pixel of a layout, as a DIB header states it.
int LayoutBitsPerPixel(PixelLayout layout);
// Bytes per row: the DIB rule, rows padded to 4 bytes.
std::size_t SourceStride(const SourceFrame& source);
// The bytes a whole source frame takes.
std::size_t SourceImageSize(const SourceFrame& source);
// A source the converter handles into target: the same size, both within the
// frame-size range, and an even width for the packed YUV layouts.
bool CanConvert(const SourceFrame& source, const FrameFormat& target);

// Converts one frame into target.ImageSize() bytes at out. Refuses (false,
// out untouched) a pair CanConvert refuses and a buffer shorter than
// SourceImageSize; a longer one is read only up to that size. Never
// allocates, so it can run on a device's streaming thread.
bool ConvertFrame(const SourceFrame& source, const std::uint8_t* data, std::size_t size, const FrameFormat& target,
                  std::uint8_t* out);

// Nearest-neighbour resize between two frames of the control's layout, so a
// device whose size differs from the one asked for still fills the picture.
// Both formats must be valid (IsValidFrameFormat); padding bytes are zero.
void ScaleFrame(const FrameFormat& from, const std::uint8_t* in, const FrameFormat& to, std::uint8_t* out);

struct Bgr {
  std::uint8_t b, g, r;
};
// One pixel of BT.601 studio-range YCbCr (Y 16-235, Cb/Cr 16-240) as RGB.
Bgr YuvToBgr(std::uint8_t y, std::uint8_t u, std::uint8_t v);

}  // namespace morvane
