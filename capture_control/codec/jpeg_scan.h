// The structure of a JPEG picture, checked before a decoder sees it: a
// camera's sample may be cut short or damaged on its way, and such a sample
// is dropped rather than written or decoded. Only the marker layout is read,
// nothing is decoded, so this runs on every sample at no real cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace morvane {

struct JpegInfo {
  int width = 0;
  int height = 0;
  int components = 0;
  // Motion JPEG from cameras often leaves out its Huffman tables and relies
  // on the standard ones.
  bool has_huffman_tables = false;
};

// The picture's size when the data is one whole JPEG: it starts with SOI,
// every marker segment lies inside the data, one frame header states a size
// and 1 to 4 components, a scan follows it, and EOI ends the coded data.
// Nothing for anything else (empty, truncated, a scan before the frame
// header, a segment running past the end).
std::optional<JpegInfo> ScanJpeg(const std::uint8_t* data, std::size_t size);

// A copy of a whole JPEG without Huffman tables with the standard tables put
// in front of its first scan, so any decoder reads it. out is replaced.
void AddStandardHuffmanTables(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out);

}  // namespace morvane
