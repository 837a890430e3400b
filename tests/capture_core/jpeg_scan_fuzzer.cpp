// Camera samples at random, as the marker scan sees them before the
// decoder: it reads nothing outside the data (the sanitizers watch), and
// whatever it takes has a size, and keeps it once standard tables are put in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/jpeg_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto info = morvane::ScanJpeg(data, size);
  if (!info) return 0;
  if (info->width <= 0 || info->height <= 0 || info->components < 1 || info->components > 4) std::abort();
  if (!info->has_huffman_tables) {
    std::vector<std::uint8_t> patched;
    morvane::AddStandardHuffmanTables(data, size, patched);
    const auto again = morvane::ScanJpeg(patched.data(), patched.size());
    if (!again || !again->has_huffman_tables || again->width != info->width || again->height != info->height) {
      std::abort();
    }
  }
  return 0;
}
