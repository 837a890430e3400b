// Files read back by tools nobody here wrote: ffprobe/ffmpeg for the AVI,
// ImageMagick for the BMP. Skipped where the tools are missing (Windows).
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "avi_writer.h"
#include "bmp_writer.h"
#include "pattern.h"
#include "audio_tone.h"
#include "test_support.h"

namespace {

std::string Quote(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

// Top-down, unpadded BGR of a bottom-up padded DIB: what ffmpeg and
// ImageMagick hand back.
std::vector<std::uint8_t> TopDown(const morvane::FrameFormat& f, const std::vector<std::uint8_t>& dib) {
  std::vector<std::uint8_t> out;
  const std::size_t row = static_cast<std::size_t>(f.width) * 3;
  for (int y = f.height - 1; y >= 0; --y) {
    const auto* p = dib.data() + static_cast<std::size_t>(y) * f.Stride();
    out.insert(out.end(), p, p + row);
  }
  return out;
}

struct AviCase {
  const char* name;
  int width, height, frames;
  std::uint32_t us_per_frame;
  std::optional<morvane::AudioFormat> audio;
  std::uint64_t riff_limit;
  const char* rate;  // ffprobe's r_frame_rate
};

const AviCase kAviCases[] = {
    {"video_30fps", 320, 240, 30, 33333, std::nullopt, morvane::kDefaultRiffLimit, "1000000/33333"},
    {"odd_size_25fps_mono8", 175, 97, 20, 40000, morvane::AudioFormat{11025, 8, 1}, morvane::kDefaultRiffLimit, "25/1"},
    {"continued_15fps_stereo16", 320, 240, 60, 66667, morvane::AudioFormat{22050, 16, 2}, 2u << 20, "1000000/66667"},
    {"continued_video_only", 320, 240, 45, 33333, std::nullopt, 2u << 20, "1000000/33333"},
};

class ForeignAvi : public ::testing::TestWithParam<AviCase> {};

TEST_P(ForeignAvi, FfprobeReadsEveryFrameAndTheAudio) {
  if (!coretest::HaveTool("ffprobe") || !coretest::HaveTool("ffmpeg")) GTEST_SKIP() << "no ffprobe";
  const AviCase& c = GetParam();
  coretest::TempDir dir("avi-ffprobe");
  const auto path = dir.path() / (std::string(c.name) + ".avi");
  const morvane::FrameFormat frame{c.width, c.height, 24};
  std::vector<std::uint8_t> bits(frame.ImageSize());
  std::vector<std::uint8_t> audio;
  std::vector<std::uint8_t> all_audio;
  std::uint64_t audio_samples = 0;
  std::uint32_t segments = 0;
  {
    morvane::AviWriter writer(path, {frame, c.us_per_frame}, c.audio, c.riff_limit);
    auto pattern = morvane::MakeColourBars();
    std::optional<morvane::ToneGenerator> tone;
    if (c.audio) tone.emplace(*c.audio);
    for (int i = 0; i < c.frames; ++i) {
      pattern->Render(frame, bits.data(), i, static_cast<std::int64_t>(i) * c.us_per_frame);
      writer.WriteVideoFrame(bits.data(), bits.size());
      if (tone) {
        // The audio of one frame period, carried so that no sample is lost.
        const std::uint64_t due = (i + 1ull) * c.us_per_frame * c.audio->samples_per_second / 1000000;
        const std::size_t n = static_cast<std::size_t>(due - audio_samples);
        audio.resize(n * c.audio->BlockAlign());
        tone->Generate(audio.data(), n);
        writer.WriteAudio(audio.data(), audio.size());
        all_audio.insert(all_audio.end(), audio.begin(), audio.end());
        audio_samples = due;
      }
    }
    writer.Close();
    segments = writer.segments();
  }
  if (c.riff_limit < morvane::kDefaultRiffLimit) {
    EXPECT_GE(segments, 3u);
  }

  const auto probe = coretest::RunCommand("ffprobe -v error -count_frames -show_streams -of flat " + Quote(path));
  ASSERT_EQ(probe.status, 0) << probe.out;
  auto v = coretest::ParseFlat(probe.out);
  EXPECT_EQ(v["streams.stream.0.codec_type"], "video");
  EXPECT_EQ(v["streams.stream.0.codec_name"], "rawvideo");
  EXPECT_EQ(v["streams.stream.0.width"], std::to_string(c.width));
  EXPECT_EQ(v["streams.stream.0.height"], std::to_string(c.height));
  EXPECT_EQ(v["streams.stream.0.nb_read_frames"], std::to_string(c.frames));
  EXPECT_EQ(v["streams.stream.0.nb_frames"], std::to_string(c.frames));
  EXPECT_EQ(v["streams.stream.0.r_frame_rate"], c.rate);
  if (c.audio) {
    EXPECT_EQ(v["streams.stream.1.codec_type"], "audio");
    EXPECT_EQ(v["streams.stream.1.codec_name"], c.audio->bits_per_sample == 8 ? "pcm_u8" : "pcm_s16le");
    EXPECT_EQ(v["streams.stream.1.sample_rate"], std::to_string(c.audio->samples_per_second));
    EXPECT_EQ(v["streams.stream.1.channels"], std::to_string(c.audio->channels));
    EXPECT_EQ(v["streams.stream.1.bits_per_sample"], std::to_string(c.audio->bits_per_sample));
    // Length in samples: as long as the video, to the sample.
    EXPECT_EQ(v["streams.stream.1.nb_frames"], std::to_string(audio_samples));
    EXPECT_NEAR(static_cast<double>(audio_samples) / c.audio->samples_per_second, c.frames * c.us_per_frame / 1e6,
                1.0 / c.audio->samples_per_second);
    // And every sample decodes to what was written.
    const auto pcm = coretest::RunCommand("ffmpeg -v error -i " + Quote(path) + " -map 0:a -c:a copy -f " +
                                          (c.audio->bits_per_sample == 8 ? "u8" : "s16le") + " -");
    ASSERT_EQ(pcm.status, 0);
    ASSERT_EQ(pcm.out.size(), all_audio.size());
    EXPECT_TRUE(std::equal(all_audio.begin(), all_audio.end(), reinterpret_cast<const std::uint8_t*>(pcm.out.data())));
  } else {
    EXPECT_EQ(v.count("streams.stream.1.codec_type"), 0u);
  }

  // The last frame's pixels, decoded by ffmpeg, are the ones we wrote.
  const int last = c.frames - 1;
  morvane::MakeColourBars()->Render(frame, bits.data(), last, static_cast<std::int64_t>(last) * c.us_per_frame);
  const auto decoded = coretest::RunCommand("ffmpeg -v error -i " + Quote(path) + " -map 0:v -vf 'select=eq(n\\," +
                                            std::to_string(last) + ")' -frames:v 1 -f rawvideo -pix_fmt bgr24 -");
  ASSERT_EQ(decoded.status, 0);
  const auto expected = TopDown(frame, bits);
  ASSERT_EQ(decoded.out.size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), reinterpret_cast<const std::uint8_t*>(decoded.out.data())));
}

INSTANTIATE_TEST_SUITE_P(Files, ForeignAvi, ::testing::ValuesIn(kAviCases),
                         [](const ::testing::TestParamInfo<AviCase>& info) { return std::string(info.param.name); });

TEST(ForeignBmp, IdentifyReadsSizeDepthAndPixels) {
  if (!coretest::HaveTool("identify") || !coretest::HaveTool("convert")) GTEST_SKIP() << "no ImageMagick";
  coretest::TempDir dir("bmp-identify");
  const morvane::FrameFormat sizes[] = {{320, 240, 24}, {161, 33, 24}, {16, 16, 24}};
  for (const auto& f : sizes) {
    SCOPED_TRACE(std::to_string(f.width) + "x" + std::to_string(f.height));
    std::vector<std::uint8_t> bits(f.ImageSize());
    morvane::MakeMovingCheckerboard()->Render(f, bits.data(), 17, 1500000);
    const auto path = dir.path() / "still.bmp";
    morvane::WriteBmp(path, f, bits.data());
    const auto id = coretest::RunCommand("identify -format '%w %h %z %m' " + Quote(path));
    ASSERT_EQ(id.status, 0);
    EXPECT_EQ(id.out, std::to_string(f.width) + " " + std::to_string(f.height) + " 8 BMP3");
    const auto pixels = coretest::RunCommand("convert " + Quote(path) + " -depth 8 bgr:-");
    ASSERT_EQ(pixels.status, 0);
    const auto expected = TopDown(f, bits);
    ASSERT_EQ(pixels.out.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), reinterpret_cast<const std::uint8_t*>(pixels.out.data())));
  }
}

}  // namespace
