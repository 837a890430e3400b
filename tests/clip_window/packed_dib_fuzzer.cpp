// Random blocks into the packed-bitmap check. Whatever it accepts must lie
// wholly inside the block: header, masks, colour table and every pixel row,
// as measured here again from the raw fields in 128-bit arithmetic.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "clip_window/packed_dib.h"

namespace {

using Wide = unsigned __int128;

// The first byte picks the header size, so that every kind of header is
// reached quickly; the last choice keeps the size the input gives, and 41 is
// one that no program writes.
constexpr std::uint32_t kHeaderSizes[] = {12, 40, 52, 56, 108, 124, 41, 0};

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}
std::uint32_t U16(const std::vector<unsigned char>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }

void Put(std::vector<unsigned char>& b, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// The bytes the header announces, from its raw fields.
Wide Announced(const std::vector<unsigned char>& b, std::uint32_t header_size) {
  Wide width, height, bits, entry, colours, masks = 0, rows;
  if (header_size == 12) {
    width = U16(b, 4);
    height = U16(b, 6);
    bits = U16(b, 10);
    entry = 3;
    colours = bits <= 8 ? Wide{1} << bits : 0;
  } else {
    const auto signed_height = static_cast<std::int32_t>(U32(b, 8));
    width = static_cast<std::int32_t>(U32(b, 4));
    height = signed_height < 0 ? Wide(-static_cast<std::int64_t>(signed_height)) : Wide(signed_height);
    bits = U16(b, 14);
    entry = 4;
    const std::uint32_t used = U32(b, 32);
    colours = used ? used : (bits <= 8 ? Wide{1} << bits : 0);
    const std::uint32_t compression = U32(b, 16);
    if (compression == 3 && header_size == 40) masks = 12;
    if (compression == 1 || compression == 2) {
      return header_size + masks + colours * entry + U32(b, 20);
    }
  }
  rows = (width * bits + 31) / 32 * 4 * height;
  return header_size + masks + colours * entry + rows;
}

// Either the bytes as they are (after a header size), or small header fields
// spelled out from the first bytes, so that blocks the check accepts are
// reached often enough to test the property.
std::vector<unsigned char> BlockFrom(const std::uint8_t* data, std::size_t size) {
  const std::uint32_t header_size = kHeaderSizes[(data[0] >> 1) % (sizeof kHeaderSizes / sizeof kHeaderSizes[0])];
  if ((data[0] & 1) == 0 || size < 8 || header_size < 12) {
    std::vector<unsigned char> block(4 + size - 1);
    for (std::size_t i = 1; i < size; ++i) block[3 + i] = data[i];
    if (header_size != 0) Put(block, 0, header_size, 4);
    return block;
  }
  constexpr std::uint16_t kBitCounts[] = {1, 4, 8, 16, 24, 32, 0, 7};
  std::vector<unsigned char> block(header_size + (size - 8));
  Put(block, 0, header_size, 4);
  const int width = data[1] % 16;
  const int height = static_cast<std::int8_t>(data[2]) % 16;
  const std::uint16_t bits = kBitCounts[data[3] % 8];
  if (header_size == 12) {
    Put(block, 4, static_cast<std::uint32_t>(width), 2);
    Put(block, 6, static_cast<std::uint32_t>(height < 0 ? -height : height), 2);
    Put(block, 10, bits, 2);
  } else {
    Put(block, 4, static_cast<std::uint32_t>(width), 4);
    Put(block, 8, static_cast<std::uint32_t>(height), 4);
    Put(block, 14, bits, 2);
    Put(block, 16, data[4] % 6, 4);  // compression
    Put(block, 20, data[5] % 64, 4);  // size of the pixels
    Put(block, 32, data[6] % 8 == 0 ? 0 : data[6] % 20, 4);  // colours used
  }
  for (std::size_t i = 8; i < size; ++i) block[header_size + i - 8] = data[i];
  return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // A block of exactly its size, so a read past its end is caught.
  const std::vector<unsigned char> block = BlockFrom(data, size);
  const std::uint32_t header_size = U32(block, 0);

  const sample::PackedDibLayout layout = sample::InspectPackedDib(block.data(), block.size());
  if (!layout.ok) {
    if (layout.problem == nullptr) std::abort();  // a refusal always says why
    return 0;
  }
  if (layout.header_size != header_size || header_size < 12 || header_size > block.size()) std::abort();
  if (layout.width == 0 || layout.height == 0) std::abort();
  if (layout.colours_offset + layout.colours_size != layout.bits_offset) std::abort();
  if (Wide{layout.bits_offset} + layout.bits_size > block.size()) std::abort();
  if (Announced(block, header_size) > block.size()) std::abort();
  return 0;
}
