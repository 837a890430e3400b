// Still pictures of a frame: a .BMP file, and the packed DIB
// (BITMAPINFOHEADER followed by the pixels) that the clipboard takes as
// CF_DIB and that the stream event hands out as bitmap-info plus bits.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "frame_format.h"

namespace morvane {

constexpr std::size_t kBitmapInfoHeaderSize = 40;
constexpr std::size_t kBitmapFileHeaderSize = 14;

// The 40 bytes of a BITMAPINFOHEADER for format: positive height (bottom-up),
// one plane, BI_RGB, biSizeImage filled in.
std::array<std::uint8_t, kBitmapInfoHeaderSize> MakeBitmapInfoHeader(const FrameFormat& format);

// BITMAPINFOHEADER + format.ImageSize() bytes of bits.
std::vector<std::uint8_t> MakePackedDib(const FrameFormat& format, const std::uint8_t* bits);

// Writes a complete .BMP file (file header, info header, pixels). Throws
// CaptureError for a bad path or format, or when writing fails; then any
// earlier file of that name is left untouched and no partial file remains.
void WriteBmp(const std::filesystem::path& path, const FrameFormat& format,
              const std::uint8_t* bits);

}  // namespace morvane
