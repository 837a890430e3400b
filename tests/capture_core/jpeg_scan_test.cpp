// The JPEG marker scan that stands before the decoder: whole pictures pass
// with their size, anything cut short or malformed is refused, and pictures
// without Huffman tables get the standard ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "codec/jpeg_scan.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Segment(std::uint8_t marker, const Bytes& body) {
  const std::size_t length = body.size() + 2;
  Bytes out(2 + length);
  out[0] = 0xFF;
  out[1] = marker;
  out[2] = static_cast<std::uint8_t>(length >> 8);
  out[3] = static_cast<std::uint8_t>(length);
  std::copy(body.begin(), body.end(), out.begin() + 4);
  return out;
}

// A JPEG's layout (its coded data is not a real picture's): SOI, APP0, DQT,
// SOF of the size, DHT unless left out, SOS, coded bytes with a stuffed
// 0xFF and a restart marker, EOI.
Bytes MakeJpeg(int width, int height, bool tables, std::uint8_t sof = 0xC0, int components = 3) {
  Bytes out{0xFF, 0xD8};
  auto add = [&](const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); };
  add(Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));
  add(Segment(0xDB, Bytes(65, 1)));
  Bytes frame{8, static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
              static_cast<std::uint8_t>(width >> 8), static_cast<std::uint8_t>(width),
              static_cast<std::uint8_t>(components)};
  for (int c = 0; c < components; ++c) frame.insert(frame.end(), {static_cast<std::uint8_t>(c + 1), 0x11, 0});
  add(Segment(sof, frame));
  if (tables) add(Segment(0xC4, Bytes(29, 0)));
  add(Segment(0xDA, {1, 1, 0, 0, 63, 0}));
  add({0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56, 0x78, 0xFF, 0xD9});
  return out;
}

TEST(JpegScan, WholePicturesPassWithTheirSize) {
  struct Row {
    const char* name;
    Bytes data;
    int width, height, components;
    bool tables;
  };
  Bytes with_fill = MakeJpeg(640, 480, true);
  with_fill.insert(with_fill.begin() + 2, {0xFF, 0xFF});  // fill bytes before a marker
  Bytes with_trailer = MakeJpeg(16, 16, true);
  with_trailer.insert(with_trailer.end(), {0, 0, 0});  // drivers pad samples
  const Row rows[] = {
      {"baseline 1920x1080", MakeJpeg(1920, 1080, true), 1920, 1080, 3, true},
      {"no tables", MakeJpeg(1280, 720, false), 1280, 720, 3, false},
      {"progressive grey", MakeJpeg(33, 17, true, 0xC2, 1), 33, 17, 1, true},
      {"fill bytes", with_fill, 640, 480, 3, true},
      {"padding after the end", with_trailer, 16, 16, 3, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto info = morvane::ScanJpeg(row.data.data(), row.data.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(row.width, info->width);
    EXPECT_EQ(row.height, info->height);
    EXPECT_EQ(row.components, info->components);
    EXPECT_EQ(row.tables, info->has_huffman_tables);
  }
}

TEST(JpegScan, EveryCutAndEveryMalformedHeaderIsRefused) {
  const Bytes whole = MakeJpeg(320, 240, true);
  // Every prefix that stops before the end marker is a truncated sample.
  for (std::size_t n = 0; n + 2 <= whole.size(); ++n) {
    EXPECT_FALSE(morvane::ScanJpeg(whole.data(), n)) << "cut at " << n;
  }
  struct Row {
    const char* name;
    Bytes data;
  };
  Bytes scan_first{0xFF, 0xD8};
  const Bytes sos = Segment(0xDA, {1, 1, 0, 0, 63, 0});
  scan_first.insert(scan_first.end(), sos.begin(), sos.end());
  scan_first.insert(scan_first.end(), {0xFF, 0xD9});
  Bytes long_segment = whole;
  long_segment[4] = 0xFF;  // APP0 claims more than the data holds
  Bytes short_length = whole;
  short_length[5] = 1;
  short_length[4] = 0;  // a length below its own two bytes
  Bytes two_frames = MakeJpeg(8, 8, true);
  const Bytes sof = Segment(0xC0, {8, 0, 8, 0, 8, 1, 1, 0x11, 0});
  two_frames.insert(two_frames.begin() + 2, sof.begin(), sof.end());
  Bytes junk_between = whole;
  junk_between.insert(junk_between.begin() + 2, 0x00);
  const Row rows[] = {
      {"zero width", MakeJpeg(0, 240, true)},
      {"zero height", MakeJpeg(320, 0, true)},
      {"five components", MakeJpeg(16, 16, true, 0xC0, 5)},
      {"scan before the frame header", scan_first},
      {"segment past the end", long_segment},
      {"length below two", short_length},
      {"two frame headers", two_frames},
      {"bytes between segments", junk_between},
      {"no start marker", Bytes(whole.begin() + 2, whole.end())},
  };
  for (const Row& row : rows) {
    EXPECT_FALSE(morvane::ScanJpeg(row.data.data(), row.data.size())) << row.name;
  }
  EXPECT_FALSE(morvane::ScanJpeg(nullptr, 100));
}

TEST(JpegScan, StandardTablesGoBeforeTheScan) {
  const Bytes bare = MakeJpeg(1280, 720, false);
  Bytes patched;
  morvane::AddStandardHuffmanTables(bare.data(), bare.size(), patched);
  const auto info = morvane::ScanJpeg(patched.data(), patched.size());
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->has_huffman_tables);
  EXPECT_EQ(1280, info->width);
  // Four tables of 17 + values: 420 bytes with the marker and length.
  EXPECT_EQ(bare.size() + 420, patched.size());
  // The coded data and the end are the picture's own.
  EXPECT_TRUE(std::equal(bare.end() - 10, bare.end(), patched.end() - 10));
}

}  // namespace
