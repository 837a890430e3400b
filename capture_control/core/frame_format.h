// The one picture layout the control produces: uncompressed 24-bit BGR,
// bottom-up DIB rows, each row padded to a multiple of 4 bytes. Everything
// that handles frames (patterns, AVI writer, BMP writer, clipboard) agrees on
// it through this struct.
#pragma once

#include <cstddef>

namespace morvane {

// Capture sizes outside this range are refused. 16 keeps the burnt-in counter
// legible enough to be of use; 4096 keeps one frame (48 MiB) far below the
// 4 GiB a RIFF chunk can describe and within what a 32-bit process can hold
// a few of.
constexpr int kMinFrameSide = 16;
constexpr int kMaxFrameSide = 4096;

struct FrameFormat {
  int width = 320;
  int height = 240;
  int bits_per_pixel = 24;

  // Bytes per row, padded to 4: ((width * bits + 31) & ~31) / 8.
  std::size_t Stride() const;
  // Stride() * height: the biSizeImage of the frame.
  std::size_t ImageSize() const;
};

// Width and height each within [kMinFrameSide, kMaxFrameSide]. Odd sizes are
// allowed: the row padding takes care of alignment.
bool IsValidFrameSize(int width, int height);
// A valid size and 24 bits per pixel, the only depth we produce.
bool IsValidFrameFormat(const FrameFormat& format);

}  // namespace morvane
