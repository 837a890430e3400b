// Still pictures and the test tone.
#include <gtest/gtest.h>

#include <cmath>

#include "audio_tone.h"
#include "bmp_writer.h"
#include "capture_error.h"
#include "test_support.h"

namespace {

using coretest::Le16;
using coretest::Le32;

TEST(Bmp, HeadersDescribeTheFrame) {
  struct Row {
    int w, h;
    std::uint32_t stride;
  };
  const Row rows[] = {{320, 240, 960}, {161, 121, 484}, {17, 16, 52}, {16, 16, 48}};
  coretest::TempDir dir("bmp-headers");
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.w) + "x" + std::to_string(r.h));
    const morvane::FrameFormat f{r.w, r.h, 24};
    EXPECT_EQ(f.Stride(), r.stride);
    std::vector<std::uint8_t> bits(f.ImageSize());
    for (std::size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<std::uint8_t>(i * 7);
    const auto path = dir.path() / "f.bmp";
    morvane::WriteBmp(path, f, bits.data());
    const auto file = coretest::ReadWholeFile(path);
    ASSERT_EQ(file.size(), 54 + f.ImageSize());
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), file.size());
    EXPECT_EQ(Le32(file, 10), 54u);
    EXPECT_EQ(Le32(file, 14), 40u);
    EXPECT_EQ(Le32(file, 18), static_cast<std::uint32_t>(r.w));
    EXPECT_EQ(Le32(file, 22), static_cast<std::uint32_t>(r.h));
    EXPECT_EQ(Le16(file, 26), 1);
    EXPECT_EQ(Le16(file, 28), 24);
    EXPECT_EQ(Le32(file, 30), 0u);
    EXPECT_EQ(Le32(file, 34), f.ImageSize());
    EXPECT_TRUE(std::equal(bits.begin(), bits.end(), file.begin() + 54));

    const auto dib = morvane::MakePackedDib(f, bits.data());
    ASSERT_EQ(dib.size(), 40 + f.ImageSize());
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14)) << "packed DIB is the file minus its header";
  }
}

TEST(Bmp, RefusesBadPathsAndFormats) {
  coretest::TempDir dir("bmp-bad");
  std::vector<std::uint8_t> bits(64 * 64 * 3);
  struct Row {
    const char* name;
    std::filesystem::path path;
    morvane::FrameFormat format;
    const std::uint8_t* bits;
    morvane::CaptureErrorKind kind;
  };
  const Row rows[] = {
      {"empty", {}, {32, 32, 24}, bits.data(), morvane::CaptureErrorKind::kEmptyPath},
      {"directory", dir.path(), {32, 32, 24}, bits.data(), morvane::CaptureErrorKind::kIsDirectory},
      {"missing_folder", dir.path() / "none" / "a.bmp", {32, 32, 24}, bits.data(), morvane::CaptureErrorKind::kCannotCreate},
      {"bad_size", dir.path() / "b.bmp", {8, 32, 24}, bits.data(), morvane::CaptureErrorKind::kInvalidFormat},
      {"no_bits", dir.path() / "c.bmp", {32, 32, 24}, nullptr, morvane::CaptureErrorKind::kInvalidArgument},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    try {
      morvane::WriteBmp(r.path, r.format, r.bits);
      ADD_FAILURE() << "accepted";
    } catch (const morvane::CaptureError& e) {
      EXPECT_EQ(e.kind(), r.kind);
      EXPECT_FALSE(e.message().empty());
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "b.bmp"));
}

TEST(Bmp, AFailedWriteKeepsThePreviousPicture) {
  coretest::TempDir dir("bmp-keep");
  const auto path = dir.path() / "still.bmp";
  const morvane::FrameFormat f{32, 32, 24};
  std::vector<std::uint8_t> first(f.ImageSize(), 0x11), second(f.ImageSize(), 0x22);
  morvane::WriteBmp(path, f, first.data());
  const auto before = coretest::ReadWholeFile(path);
  // The partial file cannot be created: a folder stands in its way.
  std::filesystem::create_directory(dir.path() / "still.bmp.part");
  EXPECT_THROW(morvane::WriteBmp(path, f, second.data()), morvane::CaptureError);
  EXPECT_EQ(coretest::ReadWholeFile(path), before);
  std::filesystem::remove(dir.path() / "still.bmp.part");
  // And a successful write replaces it, leaving nothing beside it.
  morvane::WriteBmp(path, f, second.data());
  EXPECT_EQ(coretest::ReadWholeFile(path).back(), 0x22);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "still.bmp.part"));
}

TEST(Tone, FormatsAreCheckedAndSamplesStayInRange) {
  struct Row {
    morvane::AudioFormat format;
    bool valid;
    std::uint16_t block_align;
  };
  const Row rows[] = {
      {{11025, 8, 1}, true, 1},   {{22050, 8, 2}, true, 2},   {{44100, 16, 1}, true, 2},
      {{48000, 16, 2}, true, 4},  {{11025, 12, 1}, false, 0}, {{11025, 8, 0}, false, 0},
      {{999, 8, 1}, false, 0},    {{192001, 16, 2}, false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.format.samples_per_second) + "/" + std::to_string(r.format.bits_per_sample) + "/" +
                 std::to_string(r.format.channels));
    EXPECT_EQ(morvane::IsValidAudioFormat(r.format), r.valid);
    if (!r.valid) {
      EXPECT_THROW(morvane::ToneGenerator{r.format}, morvane::CaptureError);
      continue;
    }
    EXPECT_EQ(r.format.BlockAlign(), r.block_align);
    morvane::ToneGenerator tone(r.format, 1000.0, 1.0);
    std::vector<std::uint8_t> out(r.format.samples_per_second * r.block_align);  // one second
    tone.Generate(out.data(), r.format.samples_per_second);
    // Full scale is reached and never exceeded; channels carry the same sample.
    int lo = 1 << 20, hi = -(1 << 20);
    for (std::size_t i = 0; i < out.size(); i += r.block_align) {
      const int s = r.format.bits_per_sample == 8 ? out[i] - 128 : static_cast<std::int16_t>(Le16(out, i));
      lo = std::min(lo, s);
      hi = std::max(hi, s);
      if (r.format.channels == 2) {
        const std::size_t half = r.block_align / 2;
        EXPECT_TRUE(std::equal(out.begin() + i, out.begin() + i + half, out.begin() + i + half));
      }
    }
    const int full = r.format.bits_per_sample == 8 ? 127 : 32767;
    EXPECT_GE(hi, full - 1);
    EXPECT_LE(-lo, full + 1);
    EXPECT_EQ(tone.samples_generated(), r.format.samples_per_second);
  }
}

TEST(Tone, PhaseRunsOnAcrossCalls) {
  const morvane::AudioFormat f{22050, 16, 2};
  morvane::ToneGenerator whole(f, 440.0);
  morvane::ToneGenerator pieces(f, 440.0);
  std::vector<std::uint8_t> a(1000 * 4), b(1000 * 4);
  whole.Generate(a.data(), 1000);
  const std::size_t cuts[] = {1, 99, 300, 600};
  std::size_t at = 0;
  for (std::size_t n : cuts) {
    pieces.Generate(b.data() + at * 4, n);
    at += n;
  }
  EXPECT_EQ(a, b);
}

TEST(Tone, FrequencyAtOrAboveNyquistFallsBackToAnAudibleTone) {
  const morvane::AudioFormat f{8000, 16, 1};
  morvane::ToneGenerator tone(f, 4000.0, 1.0);
  std::vector<std::uint8_t> out(8000 * 2);
  tone.Generate(out.data(), 8000);
  int crossings = 0;
  for (std::size_t i = 2; i < out.size(); i += 2) {
    const auto prev = static_cast<std::int16_t>(Le16(out, i - 2));
    const auto cur = static_cast<std::int16_t>(Le16(out, i));
    crossings += (prev < 0) != (cur < 0);
  }
  EXPECT_GT(crossings, 100);  // not a constant (what a tone at Nyquist would sample to)
}

}  // namespace
