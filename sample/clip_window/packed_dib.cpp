#include "clip_window/packed_dib.h"

#include <cstring>

namespace sample {
namespace {

// The header sizes that exist: the old core header, the info header and its
// three extensions (with colour masks; with an alpha mask too; with colour
// space, V4; with colour profile, V5).
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kKnownHeaderSizes[] = {kCoreHeaderSize, kInfoHeaderSize, 52, 56, 108, 124};

// Field offsets of the core header (16-bit fields) and of the info header.
constexpr std::size_t kCoreWidth = 4, kCoreHeight = 6, kCoreBitCount = 10;
constexpr std::size_t kInfoWidth = 4, kInfoHeight = 8, kInfoBitCount = 14, kInfoCompression = 16,
                      kInfoSizeImage = 20, kInfoColoursUsed = 32;

// Compression values of the info header.
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

constexpr std::size_t kMasksSize = 3 * sizeof(std::uint32_t);
constexpr std::size_t kQuadSize = 4;    // a colour of an info header's table
constexpr std::size_t kTripleSize = 3;  // a colour of a core header's table

PackedDibLayout Refuse(const wchar_t* problem) {
  PackedDibLayout layout;
  layout.problem = problem;
  return layout;
}

std::uint32_t ReadU32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
std::uint16_t ReadU16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::int32_t ReadI32(const unsigned char* p) {
  const std::uint32_t bits = ReadU32(p);
  std::int32_t value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool IsKnownHeaderSize(std::uint32_t size) {
  for (std::uint32_t known : kKnownHeaderSizes) {
    if (known == size) return true;
  }
  return false;
}

// What the header says, before it is measured against the block.
struct Announced {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  unsigned bit_count = 0;
  std::uint64_t masks_size = 0;  // masks after the header
  std::uint64_t colours = 0;
  std::uint64_t colour_size = kQuadSize;
  std::uint64_t bits_size = 0;  // 0: whole rows of width × height
};

const wchar_t* ReadCoreHeader(const unsigned char* bytes, Announced* a) {
  a->width = ReadU16(bytes + kCoreWidth);
  a->height = ReadU16(bytes + kCoreHeight);
  a->bit_count = ReadU16(bytes + kCoreBitCount);
  a->colour_size = kTripleSize;
  // The core header knows no 16- or 32-bit pixels.
  if (a->bit_count != 1 && a->bit_count != 4 && a->bit_count != 8 && a->bit_count != 24) {
    return L"ビットマップの色数が正しくありません。";
  }
  if (a->bit_count <= 8) a->colours = std::uint64_t{1} << a->bit_count;
  return nullptr;
}

const wchar_t* ReadInfoHeader(const unsigned char* bytes, std::uint32_t header_size, Announced* a) {
  const std::int32_t width = ReadI32(bytes + kInfoWidth);
  const std::int32_t height = ReadI32(bytes + kInfoHeight);
  if (width <= 0) return L"ビットマップの幅が正しくありません。";
  // A negative height means top-down rows; the smallest one has no positive
  // counterpart in 32 bits and is no picture a program draws.
  if (height == 0 || height == INT32_MIN) return L"ビットマップの高さが正しくありません。";
  a->width = static_cast<std::uint64_t>(width);
  a->height = static_cast<std::uint64_t>(height < 0 ? -height : height);
  a->bit_count = ReadU16(bytes + kInfoBitCount);
  const std::uint32_t compression = ReadU32(bytes + kInfoCompression);
  switch (compression) {
    case kRgb:
      break;
    case kBitFields:
      if (a->bit_count != 16 && a->bit_count != 32) return L"ビットマップの形式が正しくありません。";
      // The three masks follow a plain info header; the larger headers hold them inside.
      if (header_size == kInfoHeaderSize) a->masks_size = kMasksSize;
      break;
    case kRle8:
    case kRle4:
      if (a->bit_count != (compression == kRle8 ? 8u : 4u) || height < 0) {
        return L"ビットマップの形式が正しくありません。";
      }
      a->bits_size = ReadU32(bytes + kInfoSizeImage);
      if (a->bits_size == 0) return L"ビットマップの大きさが記されていません。";
      break;
    default:
      return L"この圧縮形式のビットマップは表示できません。";
  }
  const std::uint32_t colours_used = ReadU32(bytes + kInfoColoursUsed);
  if (colours_used != 0) {
    a->colours = colours_used;
  } else if (a->bit_count <= 8) {
    a->colours = std::uint64_t{1} << a->bit_count;
  }
  return nullptr;
}

bool IsDrawableBitCount(unsigned bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

PackedDibLayout InspectPackedDib(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (!data || size < sizeof(std::uint32_t)) return Refuse(L"ビットマップのヘッダーがありません。");
  const std::uint32_t header_size = ReadU32(bytes);
  if (!IsKnownHeaderSize(header_size)) return Refuse(L"ビットマップのヘッダーの形式が正しくありません。");
  if (header_size > size) return Refuse(L"ビットマップのヘッダーが途中で切れています。");

  Announced a;
  const wchar_t* problem =
      header_size == kCoreHeaderSize ? ReadCoreHeader(bytes, &a) : ReadInfoHeader(bytes, header_size, &a);
  if (problem) return Refuse(problem);
  if (!IsDrawableBitCount(a.bit_count)) return Refuse(L"ビットマップの色数が正しくありません。");
  if (a.width == 0 || a.height == 0) return Refuse(L"ビットマップの大きさが正しくありません。");

  // Every quantity came from a field of at most 32 bits, so none of these
  // sums and products wraps in 64 bits; the rows are measured by division.
  const std::uint64_t masks_offset = header_size;
  const std::uint64_t colours_offset = masks_offset + a.masks_size;
  const std::uint64_t colours_size = a.colours * a.colour_size;
  const std::uint64_t bits_offset = colours_offset + colours_size;
  if (bits_offset > size) return Refuse(L"ビットマップのデータが足りません。");
  const std::uint64_t room = size - bits_offset;
  if (a.bits_size == 0) {
    const std::uint64_t stride = (a.width * a.bit_count + 31) / 32 * 4;
    if (stride > room / a.height) return Refuse(L"ビットマップのデータが足りません。");
    a.bits_size = stride * a.height;
  }
  if (a.bits_size > room) return Refuse(L"ビットマップのデータが足りません。");

  PackedDibLayout layout;
  layout.ok = true;
  layout.header_size = header_size;
  layout.masks_offset = static_cast<std::size_t>(masks_offset);
  layout.colours_offset = static_cast<std::size_t>(colours_offset);
  layout.colours_size = static_cast<std::size_t>(colours_size);
  layout.bits_offset = static_cast<std::size_t>(bits_offset);
  layout.bits_size = static_cast<std::size_t>(a.bits_size);
  layout.width = static_cast<std::uint32_t>(a.width);
  layout.height = static_cast<std::uint32_t>(a.height);
  return layout;
}

}  // namespace sample
