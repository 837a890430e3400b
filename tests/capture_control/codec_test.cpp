// Compressed video inside the control: the JPEG codec through the system's
// imaging codecs, what it does with damaged camera samples, and the
// encoding stage between a capture's frames and its file (order, drops,
// key frames, failures), with encoders of our own where timing matters.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "avi_walk.h"
#include "codec/jpeg_codec.h"
#include "codec/jpeg_scan.h"
#include "codec/video_stage.h"
#include "core/avi_chunks.h"
#include "core/capture_error.h"
#include "core/pattern.h"

namespace morvane_test {
namespace {

using morvane::FrameFormat;

class ComScope {
 public:
  ComScope() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComScope() { ::CoUninitialize(); }
};

std::vector<std::uint8_t> Bars(const FrameFormat& format, std::int64_t n) {
  std::vector<std::uint8_t> bits(format.ImageSize());
  morvane::MakeColourBars()->Render(format, bits.data(), n, n * 33333);
  return bits;
}

// Mean absolute difference per byte, padding left out.
double MeanError(const FrameFormat& format, const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double sum = 0;
  for (int y = 0; y < format.height; ++y) {
    for (int x = 0; x < format.width * 3; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * format.Stride() + static_cast<std::size_t>(x);
      sum += std::abs(static_cast<int>(a[at]) - static_cast<int>(b[at]));
    }
  }
  return sum / (static_cast<double>(format.width) * 3 * format.height);
}

// The codec with COM for its thread, and colour bars encoded by it.
class JpegCodec : public ::testing::Test {
 protected:
  std::vector<std::uint8_t> EncodedBars(const FrameFormat& format, std::int64_t n, int quality) {
    std::vector<std::uint8_t> jpeg;
    codec.Encode(format, Bars(format, n).data(), quality, jpeg);
    return jpeg;
  }

  ComScope com_;
  morvane::JpegCodec codec;
};

std::filesystem::path TempAvi(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  return std::filesystem::path(folder) / name;
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST_F(JpegCodec, FramesComeBackCloseToWhatWentInAtEverySize) {
  struct Row {
    int width, height, quality;
    double max_error;
  };
  // Odd sizes have row padding on both sides of the codec. A 16x16 frame is
  // mostly edges, which chroma subsampling blurs: it only has to be the
  // right way up.
  const Row rows[] = {{16, 16, 90, 40}, {161, 121, 90, 8}, {640, 480, 75, 8}, {640, 480, 100, 4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height) + " q" + std::to_string(row.quality));
    const FrameFormat format{row.width, row.height, 24};
    const std::vector<std::uint8_t> frame = Bars(format, 7);
    std::vector<std::uint8_t> jpeg;
    codec.Encode(format, frame.data(), row.quality, jpeg);
    const auto info = morvane::ScanJpeg(jpeg.data(), jpeg.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(row.width, info->width);
    EXPECT_EQ(row.height, info->height);
    EXPECT_LT(jpeg.size(), frame.size());
    std::vector<std::uint8_t> back(format.ImageSize(), 0xEE);
    ASSERT_TRUE(codec.Decode(jpeg.data(), jpeg.size(), format, back.data()));
    EXPECT_LT(MeanError(format, frame, back), row.max_error) << "rows upside down, or colours swapped";
  }
}

TEST_F(JpegCodec, DecodesToASmallerPreviewAndWithoutHuffmanTables) {
  const FrameFormat format{320, 240, 24};
  const std::vector<std::uint8_t> jpeg = EncodedBars(format, 3, 90);

  const FrameFormat half{160, 120, 24};
  std::vector<std::uint8_t> small(half.ImageSize());
  ASSERT_TRUE(codec.Decode(jpeg.data(), jpeg.size(), half, small.data()));
  std::vector<std::uint8_t> expected_small = Bars(half, 3);
  EXPECT_LT(MeanError(half, expected_small, small), 20);

  // A camera's Motion JPEG without its DHT segments decodes as the whole
  // picture did: the standard tables are what our encoder uses too.
  std::vector<std::uint8_t> stripped(jpeg.begin(), jpeg.begin() + 2);
  for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at + 1] != 0xDA;) {
    const std::size_t length = static_cast<std::size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
    if (jpeg[at + 1] != 0xC4) stripped.insert(stripped.end(), jpeg.begin() + at, jpeg.begin() + at + 2 + length);
    at += 2 + length;
    if (jpeg[at + 1] == 0xDA) stripped.insert(stripped.end(), jpeg.begin() + at, jpeg.end());
  }
  const auto info = morvane::ScanJpeg(stripped.data(), stripped.size());
  ASSERT_TRUE(info);
  ASSERT_FALSE(info->has_huffman_tables);
  std::vector<std::uint8_t> whole(format.ImageSize());
  std::vector<std::uint8_t> patched(format.ImageSize());
  ASSERT_TRUE(codec.Decode(jpeg.data(), jpeg.size(), format, whole.data()));
  ASSERT_TRUE(codec.Decode(stripped.data(), stripped.size(), format, patched.data()));
  EXPECT_EQ(whole, patched);
}

TEST_F(JpegCodec, DamagedSamplesAreRefusedWithoutACrash) {
  const FrameFormat format{320, 240, 24};
  const std::vector<std::uint8_t> jpeg = EncodedBars(format, 1, 75);
  struct Row {
    const char* name;
    std::vector<std::uint8_t> data;
    bool decodes;
  };
  auto cut = [&](std::size_t n) { return std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(n)); };
  auto flipped = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> copy = jpeg;
    copy[at] = value;
    return copy;
  };
  // The frame header: marker, length, precision, height, then the width.
  std::size_t sof = 2;
  while (sof + 4 < jpeg.size() && jpeg[sof + 1] != 0xC0) sof += 2 + (static_cast<std::size_t>(jpeg[sof + 2]) << 8 | jpeg[sof + 3]);
  std::vector<std::uint8_t> no_width = jpeg;
  no_width[sof + 7] = 0;
  no_width[sof + 8] = 0;
  const Row rows[] = {
      {"empty", {}, false},
      {"start of image only", {0xFF, 0xD8}, false},
      {"cut after the headers", cut(jpeg.size() / 10), false},
      {"cut in the middle", cut(jpeg.size() / 2), false},
      {"end marker missing", cut(jpeg.size() - 2), false},
      {"width zero", no_width, false},
      {"segment longer than the data", flipped(5, 0xFF), false},
      {"not a JPEG", std::vector<std::uint8_t>(1000, 0x42), false},
      {"whole", jpeg, true},
  };
  std::vector<std::uint8_t> out(format.ImageSize());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.decodes, codec.Decode(row.data.data(), row.data.size(), format, out.data()));
  }
  // Damage inside the coded data passes the scan; the decoder must cope,
  // whatever it makes of it.
  for (std::size_t at = jpeg.size() / 2; at < jpeg.size() - 2; at += jpeg.size() / 16) {
    std::vector<std::uint8_t> copy = flipped(at, static_cast<std::uint8_t>(jpeg[at] ^ 0x5A));
    codec.Decode(copy.data(), copy.size(), format, out.data());
  }
}

// An encoder whose frames are the frame's number (the first four bytes of
// the frame) and whose odd frames are no key frames. It waits while the
// gate is shut, so a test can make encoding fall behind; it fails on the
// frame numbered kFailOn.
struct Gate {
  HANDLE open = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
  ~Gate() { ::CloseHandle(open); }
};
constexpr std::uint32_t kFailOn = 0xFFFF;

class NumberEncoder final : public morvane::FrameEncoder {
 public:
  explicit NumberEncoder(Gate& gate) : gate_(gate) {}
  void Encode(const std::uint8_t* bits, std::vector<std::uint8_t>& out, bool& key) override {
    ::WaitForSingleObject(gate_.open, INFINITE);
    std::uint32_t n = 0;
    std::memcpy(&n, bits, 4);
    if (n == kFailOn) throw morvane::CaptureError(morvane::CaptureErrorKind::kWriteFailed, L"encoder failed");
    out.assign(bits, bits + 4);
    key = n % 2 == 0;
  }

 private:
  Gate& gate_;
};

// What a stage wrote: per video chunk, the frame number (-1 for an empty
// slot) and whether it is a key frame; empty when the file does not walk.
struct Written {
  std::string error;
  std::vector<long> numbers;
  std::vector<bool> keys;
};

Written ReadBack(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = ReadAll(path);
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  Written written;
  written.error = walk.error;
  for (const coretest::AviChunk& chunk : walk.chunks) {
    if (chunk.id != morvane::avi::FourCc("00dc")) continue;
    std::uint32_t n = 0;
    if (chunk.size == 4) std::memcpy(&n, bytes.data() + chunk.offset + 8, 4);
    written.numbers.push_back(chunk.size == 0 ? -1 : static_cast<long>(n));
  }
  written.keys = walk.video_key_frames;
  return written;
}

TEST(EncodingStage, FramesKeepTheirSlotsWhateverTheEncodersDo) {
  const FrameFormat format{64, 48, 24};
  morvane::AviVideoFormat video{format, 33333};
  video.compression = morvane::avi::FourCc("TEST");
  // Each step: a frame (its number), an empty slot (-1), a collect (-2),
  // the gate shut (-3), or the gate opened and everything waited for (-4). Expected: what the file holds,
  // and which puts were refused.
  struct Row {
    const char* name;
    int threads;
    std::vector<long> steps;
    std::vector<long> file;
    long refused;
  };
  const Row rows[] = {
      {"in order on two threads", 2, {0, 1, 2, -2, -4, 3, -1, 4, -4, 5}, {0, 1, 2, 3, -1, 4, 5}, 0},
      {"empties wait behind frames being encoded", 2, {-3, 0, -1, -1, 1, -4}, {0, -1, -1, 1}, 0},
      // Two threads, four slots: with the encoders stuck, the fifth frame
      // on is refused and goes to the file as an empty slot, in its place.
      {"behind: refused and kept as empty", 2, {-3, 0, 1, 2, 3, 4, 5, -1, -4, 6}, {0, 1, 2, 3, -1, -1, -1, 6}, 2},
      {"one thread", 1, {-3, 0, 1, 2, 3, -4, -2, 4}, {0, 1, 2, -1, 4}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Gate gate;
    const auto path = TempAvi(L"morvane-stage.avi");
    long refused = 0;
    {
      morvane::AviWriter writer(path, video, std::nullopt);
      auto stage = morvane::MakeEncodingStage(format, writer, row.threads,
                                              [&gate] { return std::make_unique<NumberEncoder>(gate); });
      std::vector<std::uint8_t> frame(format.ImageSize());
      for (long step : row.steps) {
        if (step == -1) stage->PutEmpty();
        if (step == -2) stage->Collect();
        if (step == -3) ::ResetEvent(gate.open);
        if (step == -4) {
          ::SetEvent(gate.open);
          stage->Finish();
        }
        if (step < 0) continue;
        const auto n = static_cast<std::uint32_t>(step);
        std::memcpy(frame.data(), &n, 4);
        if (!stage->Put(frame.data())) ++refused;
      }
      stage->Finish();
      writer.Close();
    }
    const Written written = ReadBack(path);
    ASSERT_EQ("", written.error);
    EXPECT_EQ(row.file, written.numbers);
    EXPECT_EQ(row.refused, refused);
    for (std::size_t i = 0; i < written.numbers.size(); ++i) {
      const long n = written.numbers[i];
      EXPECT_EQ(n >= 0 && n % 2 == 0, written.keys[i]) << "chunk " << i;
    }
    std::filesystem::remove(path);
  }
}

TEST(EncodingStage, AFailingEncoderEndsTheCaptureAndTheFileStaysWhole) {
  const FrameFormat format{64, 48, 24};
  morvane::AviVideoFormat video{format, 33333};
  video.compression = morvane::avi::FourCc("TEST");
  const auto path = TempAvi(L"morvane-stage-fail.avi");
  Gate gate;
  {
    morvane::AviWriter writer(path, video, std::nullopt);
    auto stage = morvane::MakeEncodingStage(format, writer, 2, [&gate] { return std::make_unique<NumberEncoder>(gate); });
    std::vector<std::uint8_t> frame(format.ImageSize());
    for (std::uint32_t n : {0u, 1u, kFailOn}) {
      std::memcpy(frame.data(), &n, 4);
      ASSERT_TRUE(stage->Put(frame.data()));
    }
    EXPECT_THROW(stage->Finish(), morvane::CaptureError);
    writer.Close();
  }
  const Written written = ReadBack(path);
  ASSERT_EQ("", written.error);
  EXPECT_EQ((std::vector<long>{0, 1}), written.numbers);
  std::filesystem::remove(path);

  // An encoder that cannot be made fails the stage before any frame.
  morvane::AviWriter writer(path, video, std::nullopt);
  EXPECT_THROW(morvane::MakeEncodingStage(format, writer, 2,
                                          []() -> std::unique_ptr<morvane::FrameEncoder> {
                                            throw morvane::CaptureError(morvane::CaptureErrorKind::kDeviceFailed, L"gone");
                                          }),
               morvane::CaptureError);
  writer.Close();
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace morvane_test
