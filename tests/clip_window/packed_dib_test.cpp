// A device-independent bitmap on the clipboard comes from another program:
// its header is checked against the block's real size before a byte of the
// pixels is read.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "clip_picture.h"

namespace {

using sample::InspectPackedDib;

struct DibCase {
  const char* name;
  DWORD header_size;
  LONG width;
  LONG height;
  WORD bit_count;
  DWORD compression;
  DWORD colours_used;
  DWORD size_image;
  long block_size_delta;  // block size relative to what the header needs
  bool ok;
  std::size_t bits_offset;  // when ok
};

// Header size + masks + colour table, then pixel rows rounded to 4 bytes.
constexpr DibCase kCases[] = {
    {"24-bit", 40, 4, 2, 24, BI_RGB, 0, 0, 0, true, 40},
    {"24-bit top-down", 40, 4, -2, 24, BI_RGB, 0, 0, 0, true, 40},
    {"32-bit with masks after the header", 40, 2, 2, 32, BI_BITFIELDS, 0, 0, 0, true, 52},
    {"V5 header keeps its masks inside", 124, 2, 2, 32, BI_BITFIELDS, 0, 0, 0, true, 124},
    {"8-bit full palette", 40, 3, 3, 8, BI_RGB, 0, 0, 0, true, 40 + 256 * 4},
    {"8-bit short palette", 40, 3, 3, 8, BI_RGB, 16, 0, 0, true, 40 + 16 * 4},
    {"1-bit", 40, 9, 1, 1, BI_RGB, 0, 0, 0, true, 48},
    {"block larger than needed", 40, 4, 2, 24, BI_RGB, 0, 0, 100, true, 40},
    {"RLE8 with its size", 40, 4, 4, 8, BI_RLE8, 0, 10, 0, true, 40 + 256 * 4},
    {"one byte short", 40, 4, 2, 24, BI_RGB, 0, 0, -1, false, 0},
    {"palette runs past the end", 40, 1, 1, 8, BI_RGB, 0xFFFFFF, 0, 0, false, 0},
    {"zero width", 40, 0, 2, 24, BI_RGB, 0, 0, 0, false, 0},
    {"negative width", 40, -4, 2, 24, BI_RGB, 0, 0, 0, false, 0},
    {"zero height", 40, 4, 0, 24, BI_RGB, 0, 0, 0, false, 0},
    {"odd bit count", 40, 4, 2, 7, BI_RGB, 0, 0, 0, false, 0},
    {"masks on 24 bits", 40, 4, 2, 24, BI_BITFIELDS, 0, 0, 0, false, 0},
    {"RLE8 without its size", 40, 4, 4, 8, BI_RLE8, 0, 0, 0, false, 0},
    {"JPEG inside", 40, 4, 4, 0, BI_JPEG, 0, 100, 0, false, 0},
    {"unknown header size", 20, 4, 2, 24, BI_RGB, 0, 0, 0, false, 0},
    {"header size beyond the block", 4000, 4, 2, 24, BI_RGB, 0, 0, -3900, false, 0},
    {"huge picture, tiny block", 40, 0x7FFFFFFF, 0x7FFFFFFF, 32, BI_RGB, 0, 0, 0, false, 0},
};

std::size_t NeededSize(const DibCase& c) {
  std::size_t offset = c.header_size < 40 ? 40 : c.header_size;
  if (c.compression == BI_BITFIELDS && c.header_size == 40) offset += 12;
  std::size_t colours = c.colours_used ? c.colours_used : (c.bit_count && c.bit_count <= 8 ? 1u << c.bit_count : 0);
  if (colours > 4096) colours = 0;  // the oversized cases are measured without it
  offset += colours * 4;
  if (c.size_image) return offset + c.size_image;
  const long long w = c.width > 0 && c.width < 100000 ? c.width : 1;
  const long long h = c.height < 0 ? -c.height : (c.height > 100000 ? 1 : c.height);
  return offset + static_cast<std::size_t>((w * (c.bit_count ? c.bit_count : 8) + 31) / 32 * 4 * h);
}

TEST(InspectPackedDib, AcceptsWhatCanBeDrawnAndRefusesTheRest) {
  for (const DibCase& c : kCases) {
    const long long size = static_cast<long long>(NeededSize(c)) + c.block_size_delta;
    std::vector<unsigned char> block(static_cast<std::size_t>(size < 124 ? 124 : size), 0);
    BITMAPINFOHEADER header{};
    header.biSize = c.header_size;
    header.biWidth = c.width;
    header.biHeight = c.height;
    header.biPlanes = 1;
    header.biBitCount = c.bit_count;
    header.biCompression = c.compression;
    header.biClrUsed = c.colours_used;
    header.biSizeImage = c.size_image;
    std::memcpy(block.data(), &header, sizeof header);
    const auto layout = InspectPackedDib(block.data(), static_cast<std::size_t>(size));
    EXPECT_EQ(layout.ok, c.ok) << c.name << (layout.problem ? " refused" : " accepted");
    if (c.ok && layout.ok) {
      EXPECT_EQ(layout.bits_offset, c.bits_offset) << c.name;
    }
    if (!c.ok) {
      EXPECT_NE(layout.problem, nullptr) << c.name << ": a refusal says why";
    }
  }
}

TEST(InspectPackedDib, RefusesBlocksTooShortForAnyHeader) {
  const unsigned char three[3] = {40, 0, 0};
  EXPECT_FALSE(InspectPackedDib(three, sizeof three).ok);
  EXPECT_FALSE(InspectPackedDib(nullptr, 100).ok);
  const DWORD only_size = 40;
  EXPECT_FALSE(InspectPackedDib(&only_size, sizeof only_size).ok);
}

TEST(InspectPackedDib, ReadsTheOldCoreHeader) {
  std::vector<unsigned char> block(12 + 2 * 3 + 4, 0);
  BITMAPCOREHEADER core{};
  core.bcSize = 12;
  core.bcWidth = 3;
  core.bcHeight = 1;
  core.bcPlanes = 1;
  core.bcBitCount = 1;
  std::memcpy(block.data(), &core, sizeof core);
  auto layout = InspectPackedDib(block.data(), block.size());
  EXPECT_TRUE(layout.ok);
  EXPECT_EQ(layout.bits_offset, 18u);
  EXPECT_FALSE(InspectPackedDib(block.data(), block.size() - 1).ok);
}

}  // namespace
