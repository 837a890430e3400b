// A device-independent bitmap on the clipboard comes from another program:
// its header is checked against the block's real size before a byte of the
// pixels is read.
#include "clip_window/packed_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using sample::InspectPackedDib;

// The header fields as the format lays them out, little-endian.
constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiBitFields = 3, kBiJpeg = 4;

void PutU32(std::vector<unsigned char>& block, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) block[at + i] = static_cast<unsigned char>(value >> (8 * i));
}
void PutU16(std::vector<unsigned char>& block, std::size_t at, std::uint16_t value) {
  block[at] = static_cast<unsigned char>(value);
  block[at + 1] = static_cast<unsigned char>(value >> 8);
}

struct InfoHeader {
  std::uint32_t size;
  std::int32_t width;
  std::int32_t height;
  std::uint16_t bit_count;
  std::uint32_t compression;
  std::uint32_t colours_used;
  std::uint32_t size_image;
};

// Writes an info header (or a larger one; its extra fields stay zero).
void PutInfoHeader(std::vector<unsigned char>& block, const InfoHeader& h) {
  PutU32(block, 0, h.size);
  PutU32(block, 4, static_cast<std::uint32_t>(h.width));
  PutU32(block, 8, static_cast<std::uint32_t>(h.height));
  PutU16(block, 12, 1);  // planes
  PutU16(block, 14, h.bit_count);
  PutU32(block, 16, h.compression);
  PutU32(block, 20, h.size_image);
  PutU32(block, 32, h.colours_used);
}

struct DibCase {
  const char* name;
  InfoHeader header;
  long block_size_delta;  // block size relative to what the header needs
  bool ok;
  std::size_t bits_offset;  // when ok
};

// Header size + masks + colour table, then pixel rows rounded to 4 bytes.
constexpr DibCase kCases[] = {
    {"24-bit", {40, 4, 2, 24, kBiRgb, 0, 0}, 0, true, 40},
    {"24-bit top-down", {40, 4, -2, 24, kBiRgb, 0, 0}, 0, true, 40},
    {"32-bit with masks after the header", {40, 2, 2, 32, kBiBitFields, 0, 0}, 0, true, 52},
    {"V5 header keeps its masks inside", {124, 2, 2, 32, kBiBitFields, 0, 0}, 0, true, 124},
    {"V2 header keeps its masks inside", {52, 2, 2, 16, kBiBitFields, 0, 0}, 0, true, 52},
    {"V3 header with alpha mask", {56, 2, 2, 32, kBiBitFields, 0, 0}, 0, true, 56},
    {"V4 header", {108, 2, 2, 24, kBiRgb, 0, 0}, 0, true, 108},
    {"8-bit full palette", {40, 3, 3, 8, kBiRgb, 0, 0}, 0, true, 40 + 256 * 4},
    {"8-bit short palette", {40, 3, 3, 8, kBiRgb, 16, 0}, 0, true, 40 + 16 * 4},
    {"1-bit", {40, 9, 1, 1, kBiRgb, 0, 0}, 0, true, 48},
    {"block larger than needed", {40, 4, 2, 24, kBiRgb, 0, 0}, 100, true, 40},
    {"RLE8 with its size", {40, 4, 4, 8, kBiRle8, 0, 10}, 0, true, 40 + 256 * 4},
    {"one byte short", {40, 4, 2, 24, kBiRgb, 0, 0}, -1, false, 0},
    {"palette runs past the end", {40, 1, 1, 8, kBiRgb, 0xFFFFFF, 0}, 0, false, 0},
    {"zero width", {40, 0, 2, 24, kBiRgb, 0, 0}, 0, false, 0},
    {"negative width", {40, -4, 2, 24, kBiRgb, 0, 0}, 0, false, 0},
    {"zero height", {40, 4, 0, 24, kBiRgb, 0, 0}, 0, false, 0},
    {"odd bit count", {40, 4, 2, 7, kBiRgb, 0, 0}, 0, false, 0},
    {"masks on 24 bits", {40, 4, 2, 24, kBiBitFields, 0, 0}, 0, false, 0},
    {"RLE8 without its size", {40, 4, 4, 8, kBiRle8, 0, 0}, 0, false, 0},
    {"JPEG inside", {40, 4, 4, 0, kBiJpeg, 0, 100}, 0, false, 0},
    {"unknown header size", {20, 4, 2, 24, kBiRgb, 0, 0}, 0, false, 0},
    {"header size beyond the block", {4000, 4, 2, 24, kBiRgb, 0, 0}, -3900, false, 0},
    {"huge picture, tiny block", {40, 0x7FFFFFFF, 0x7FFFFFFF, 32, kBiRgb, 0, 0}, 0, false, 0},
};

std::size_t NeededSize(const InfoHeader& c) {
  std::size_t offset = c.size < 40 ? 40 : c.size;
  if (c.compression == kBiBitFields && c.size == 40) offset += 12;
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
    const long long size = static_cast<long long>(NeededSize(c.header)) + c.block_size_delta;
    std::vector<unsigned char> block(static_cast<std::size_t>(size < 124 ? 124 : size), 0);
    PutInfoHeader(block, c.header);
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

// Headers that no program writes: sizes between the real ones (with bit
// masks that would lie neither after the header nor inside it), and pixel
// depths the old core header never had.
TEST(InspectPackedDib, RefusesHeadersThatDoNotExist) {
  struct Bad {
    const char* name;
    std::uint32_t header_size;
    std::int32_t height;
    std::uint16_t bit_count;
    std::uint32_t compression;
  };
  const Bad kBad[] = {
      {"41 bytes with masks", 41, 2, 32, kBiBitFields},
      {"44 bytes with masks", 44, 2, 16, kBiBitFields},
      {"48 bytes with masks", 48, 2, 32, kBiBitFields},
      {"51 bytes with masks", 51, 2, 32, kBiBitFields},
      {"64 bytes", 64, 2, 24, kBiRgb},
      {"100 bytes", 100, 2, 24, kBiRgb},
      {"123 bytes", 123, 2, 24, kBiRgb},
  };
  for (const Bad& b : kBad) {
    // Room for everything the header could announce, so only the header is judged.
    std::vector<unsigned char> block(4096, 0);
    PutInfoHeader(block, {b.header_size, 2, b.height, b.bit_count, b.compression, 0, 0});
    const auto layout = InspectPackedDib(block.data(), block.size());
    EXPECT_FALSE(layout.ok) << b.name;
    EXPECT_NE(layout.problem, nullptr) << b.name;
  }
  for (std::uint16_t bits : {16, 32}) {
    std::vector<unsigned char> core(4096, 0);
    PutU32(core, 0, 12);
    PutU16(core, 4, 2);
    PutU16(core, 6, 2);
    PutU16(core, 8, 1);
    PutU16(core, 10, bits);
    EXPECT_FALSE(InspectPackedDib(core.data(), core.size()).ok) << "core header with " << bits << " bits";
  }
}

// What an accepted block holds lies inside it, part after part.
TEST(InspectPackedDib, AnAcceptedLayoutLiesInsideItsBlock) {
  for (const DibCase& c : kCases) {
    if (!c.ok) continue;
    std::vector<unsigned char> block(NeededSize(c.header) + static_cast<std::size_t>(c.block_size_delta), 0);
    PutInfoHeader(block, c.header);
    const auto layout = InspectPackedDib(block.data(), block.size());
    ASSERT_TRUE(layout.ok) << c.name;
    EXPECT_EQ(layout.header_size, c.header.size) << c.name;
    EXPECT_LE(layout.header_size, layout.masks_offset) << c.name;
    EXPECT_LE(layout.masks_offset, layout.colours_offset) << c.name;
    EXPECT_EQ(layout.colours_offset + layout.colours_size, layout.bits_offset) << c.name;
    EXPECT_LE(layout.bits_offset + layout.bits_size, block.size()) << c.name;
  }
}

TEST(InspectPackedDib, RefusesBlocksTooShortForAnyHeader) {
  const unsigned char three[3] = {40, 0, 0};
  EXPECT_FALSE(InspectPackedDib(three, sizeof three).ok);
  EXPECT_FALSE(InspectPackedDib(nullptr, 100).ok);
  const unsigned char only_size[4] = {40, 0, 0, 0};
  EXPECT_FALSE(InspectPackedDib(only_size, sizeof only_size).ok);
}

TEST(InspectPackedDib, ReadsTheOldCoreHeader) {
  std::vector<unsigned char> block(12 + 2 * 3 + 4, 0);
  PutU32(block, 0, 12);
  PutU16(block, 4, 3);   // width
  PutU16(block, 6, 1);   // height
  PutU16(block, 8, 1);   // planes
  PutU16(block, 10, 1);  // bits a pixel
  auto layout = InspectPackedDib(block.data(), block.size());
  EXPECT_TRUE(layout.ok);
  EXPECT_EQ(layout.bits_offset, 18u);
  EXPECT_FALSE(InspectPackedDib(block.data(), block.size() - 1).ok);
}

}  // namespace
