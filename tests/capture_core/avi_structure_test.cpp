// The writer's files checked byte by byte against the layout: chunk order,
// sizes inside their parents and padded, header counts, and both index
// levels pointing at the chunks they name.
#include <gtest/gtest.h>

#include <optional>

#include "avi_chunks.h"
#include "avi_walk.h"
#include "avi_writer.h"
#include "bmp_writer.h"
#include "capture_error.h"
#include "pattern.h"
#include "test_support.h"

namespace {

namespace avi = morvane::avi;
using coretest::AviChunk;
using coretest::FourCcAt;
using coretest::FourCcText;
using coretest::Le32;
using coretest::Le64;

struct Case {
  const char* name;
  int width, height;
  int frames;
  std::optional<morvane::AviAudioFormat> audio;
  std::size_t audio_bytes_per_frame;  // 0: none
  std::uint64_t riff_limit;
  morvane::AviIndexLimits limits;
  int expected_segments;  // 0: do not check
};

const morvane::AviAudioFormat kMono8{11025, 8, 1};
const morvane::AviAudioFormat kStereo16{22050, 16, 2};

const Case kCases[] = {
    {"no_frames", 320, 240, 0, std::nullopt, 0, morvane::kDefaultRiffLimit, {}, 1},
    {"one_segment_video", 320, 240, 12, std::nullopt, 0, morvane::kDefaultRiffLimit, {}, 1},
    {"odd_width_odd_audio_chunks", 161, 121, 9, kMono8, 367, morvane::kDefaultRiffLimit, {}, 1},
    {"segments_video", 160, 120, 40, std::nullopt, 0, 256 * 1024, {}, 0},
    {"segments_audio_small_blocks", 160, 120, 50, kStereo16, 2940, 300 * 1024, {5, 512}, 0},
    {"block_boundary_exact", 64, 48, 32, std::nullopt, 0, morvane::kDefaultRiffLimit, {8, 16}, 1},
};

std::vector<std::uint8_t> WriteCase(const Case& c) {
  std::vector<std::uint8_t> bytes;
  const morvane::AviVideoFormat video{{c.width, c.height, 24}, 33333};
  morvane::AviWriter writer(std::make_unique<coretest::MemorySink>(&bytes), video, c.audio, c.riff_limit,
                            c.limits);
  std::vector<std::uint8_t> frame(video.frame.ImageSize());
  std::vector<std::uint8_t> audio(c.audio_bytes_per_frame, 0x80);
  auto pattern = morvane::MakeColourBars();
  for (int i = 0; i < c.frames; ++i) {
    pattern->Render(video.frame, frame.data(), i, i * 1000000LL / 30);
    writer.WriteVideoFrame(frame.data(), frame.size());
    if (!audio.empty()) writer.WriteAudio(audio.data(), audio.size());
  }
  writer.Close();
  return bytes;
}

class AviStructure : public ::testing::TestWithParam<Case> {};

TEST_P(AviStructure, ChunksIndexesAndCountsAgree) {
  const Case& c = GetParam();
  const std::vector<std::uint8_t> bytes = WriteCase(c);
  // The whole-file walk agrees with the checks below, written separately.
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  ASSERT_TRUE(walk.ok()) << walk.error;
  EXPECT_EQ(walk.video_chunks, static_cast<std::uint32_t>(c.frames));
  EXPECT_EQ(walk.audio_bytes, c.frames * c.audio_bytes_per_frame);
  EXPECT_TRUE(walk.has_idx1 && walk.has_indx);
  const std::vector<AviChunk>& chunks = walk.chunks;
  const int streams = c.audio ? 2 : 1;
  const std::uint32_t image = static_cast<std::uint32_t>(morvane::FrameFormat{c.width, c.height, 24}.ImageSize());

  // The fixed order of the first segment's header.
  std::vector<std::string> head;
  for (const AviChunk& ch : chunks) {
    if (ch.segment != 0 || ch.depth > 3) continue;
    head.push_back(ch.list_type == 0 ? FourCcText(ch.id) : FourCcText(ch.id) + ":" + FourCcText(ch.list_type));
    if (ch.list_type == avi::FourCc("movi")) break;
  }
  std::vector<std::string> expected = {"RIFF:AVI ", "LIST:hdrl", "avih", "LIST:strl", "strh", "strf", "indx"};
  if (c.audio) expected.insert(expected.end(), {"LIST:strl", "strh", "strf", "indx"});
  expected.insert(expected.end(), {"LIST:odml", "dmlh", "LIST:movi"});
  EXPECT_EQ(head, expected);

  // Segments: the first is 'AVI ' with idx1 after movi, the rest 'AVIX'.
  int segments = 0;
  int idx1_count = 0;
  std::vector<int> frames_per_segment;
  for (const AviChunk& ch : chunks) {
    if (ch.depth == 0) {
      EXPECT_EQ(FourCcText(ch.list_type), segments == 0 ? "AVI " : "AVIX") << "segment " << segments;
      EXPECT_LE(ch.size + 8ull, std::max<std::uint64_t>(c.riff_limit, 1)) << "segment " << segments;
      ++segments;
      frames_per_segment.push_back(0);
    }
    if (ch.id == avi::FourCc("idx1")) {
      ++idx1_count;
      EXPECT_EQ(ch.segment, 0);
    }
    if (ch.id == avi::FourCc("00db")) {
      EXPECT_EQ(ch.size, image);
      ++frames_per_segment.back();
    }
  }
  EXPECT_EQ(idx1_count, 1);
  if (c.expected_segments) {
    EXPECT_EQ(segments, c.expected_segments);
  }
  if (c.riff_limit < morvane::kDefaultRiffLimit) {
    EXPECT_GT(segments, 2) << "the case should need segments";
  }

  EXPECT_EQ(walk.avih_frames, static_cast<std::uint32_t>(frames_per_segment[0]));
  EXPECT_EQ(walk.video_length, static_cast<std::uint32_t>(c.frames));
  EXPECT_EQ(walk.dmlh_frames, static_cast<std::uint32_t>(c.frames));
  EXPECT_EQ(walk.streams, streams);
  EXPECT_EQ(walk.bi_size_image, image);
  const std::uint32_t flags = 0x10 | 0x10000 | (c.audio ? 0x100 : 0);
  EXPECT_EQ(walk.avih_flags, flags);
  if (c.audio) {
    EXPECT_EQ(walk.audio_length, c.frames * c.audio_bytes_per_frame / c.audio->BlockAlign());
  }

  // idx1: every entry names a chunk of its id and size, offsets from 'movi'.
  const AviChunk* movi = nullptr;
  const AviChunk* idx1 = nullptr;
  for (const AviChunk& ch : chunks) {
    if (ch.segment == 0 && ch.list_type == avi::FourCc("movi")) movi = &ch;
    if (ch.id == avi::FourCc("idx1")) idx1 = &ch;
  }
  ASSERT_TRUE(movi && idx1);
  int idx1_video = 0;
  for (std::uint32_t e = 0; e < idx1->size / 16; ++e) {
    const std::uint64_t at = idx1->offset + 8 + 16ull * e;
    const std::string id = FourCcAt(bytes, at);
    const std::uint64_t target = movi->offset + 8 + Le32(bytes, at + 8);
    SCOPED_TRACE("idx1 entry " + std::to_string(e));
    EXPECT_EQ(FourCcAt(bytes, target), id);
    EXPECT_EQ(Le32(bytes, target + 4), Le32(bytes, at + 12));
    EXPECT_EQ(Le32(bytes, at + 4), 0x10u);
    if (id == "00db") ++idx1_video;
  }
  EXPECT_EQ(idx1_video, frames_per_segment[0]);

  // Super index -> standard index -> data, per stream.
  int stream = 0;
  for (const AviChunk& ch : chunks) {
    if (ch.id != avi::FourCc("indx")) continue;
    SCOPED_TRACE("stream " + std::to_string(stream));
    const std::uint64_t d = ch.offset + 8;
    EXPECT_EQ(coretest::Le16(bytes, d), 4);
    EXPECT_EQ(bytes[d + 3], 0);  // index of indexes
    const std::uint32_t used = Le32(bytes, d + 4);
    const std::string id = FourCcAt(bytes, d + 8);
    EXPECT_EQ(id, stream == 0 ? "00db" : "01wb");
    std::uint64_t indexed = 0;
    std::uint64_t duration = 0;
    for (std::uint32_t e = 0; e < used; ++e) {
      const std::uint64_t entry = d + 24 + 16ull * e;
      const std::uint64_t ix = Le64(bytes, entry);
      EXPECT_EQ(FourCcAt(bytes, ix), stream == 0 ? "ix00" : "ix01");
      EXPECT_EQ(Le32(bytes, entry + 8), Le32(bytes, ix + 4) + 8);
      const std::uint32_t n = Le32(bytes, ix + 12);
      EXPECT_EQ(bytes[ix + 11], 1);  // index of chunks
      EXPECT_EQ(FourCcAt(bytes, ix + 16), id);
      const std::uint64_t base = Le64(bytes, ix + 20);
      std::uint64_t block_duration = 0;
      for (std::uint32_t k = 0; k < n; ++k) {
        const std::uint64_t data = base + Le32(bytes, ix + 32 + 8ull * k);
        const std::uint32_t size = Le32(bytes, ix + 36 + 8ull * k);
        ASSERT_EQ(FourCcAt(bytes, data - 8), id) << "entry " << k << " of block " << e;
        EXPECT_EQ(Le32(bytes, data - 4), size & 0x7FFFFFFFu);
        EXPECT_EQ(size & 0x80000000u, 0u) << "every frame is a key frame";
        block_duration += stream == 0 ? 1 : size / c.audio->BlockAlign();
      }
      EXPECT_EQ(Le32(bytes, entry + 12), block_duration);
      indexed += n;
      duration += block_duration;
    }
    if (stream == 0) {
      EXPECT_EQ(indexed, static_cast<std::uint64_t>(c.frames));
    } else {
      EXPECT_EQ(indexed, static_cast<std::uint64_t>(c.frames));
      EXPECT_EQ(duration, walk.audio_length);
    }
    ++stream;
  }
  EXPECT_EQ(stream, streams);
}

INSTANTIATE_TEST_SUITE_P(Layouts, AviStructure, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(AviStructure, FreshFileClaimsNothingUntilClosed) {
  std::vector<std::uint8_t> bytes;
  auto* sink = new coretest::MemorySink(&bytes);
  morvane::AviWriter writer(std::unique_ptr<morvane::FileSink>(sink), {{64, 48, 24}, 40000}, std::nullopt);
  std::vector<std::uint8_t> frame(morvane::FrameFormat{64, 48, 24}.ImageSize(), 7);
  for (int i = 0; i < 3; ++i) writer.WriteVideoFrame(frame.data(), frame.size());
  // Read the bytes as a crash would leave them: the headers speak of no frames.
  const std::vector<std::uint8_t> claimed(bytes.begin(), bytes.begin() + 8 + Le32(bytes, 4));
  const coretest::AviWalk fresh = coretest::WalkAvi(claimed);
  ASSERT_TRUE(fresh.ok()) << fresh.error;
  EXPECT_EQ(fresh.avih_frames, 0u);
  EXPECT_EQ(fresh.video_length, 0u);
  EXPECT_FALSE(fresh.has_indx);
  writer.Close();
  const coretest::AviWalk closed = coretest::WalkAvi(bytes);
  ASSERT_TRUE(closed.ok()) << closed.error;
  EXPECT_EQ(closed.avih_frames, 3u);
}

TEST(AviStructure, CrashAfterTheFirstSegmentKeepsItPlayable) {
  std::vector<std::uint8_t> bytes;
  const morvane::FrameFormat f{64, 48, 24};
  morvane::AviWriter writer(std::make_unique<coretest::MemorySink>(&bytes), {f, 40000}, std::nullopt, 64 * 1024);
  std::vector<std::uint8_t> frame(f.ImageSize(), 5);
  while (writer.segments() < 2) writer.WriteVideoFrame(frame.data(), frame.size());
  writer.WriteVideoFrame(frame.data(), frame.size());
  // The bytes as the program's death would leave them; the open segment's
  // sizes still say it is empty, so a reader stops after the first. Its
  // headers and both index levels describe exactly the closed segment.
  const std::vector<std::uint8_t> crashed(bytes.begin(), bytes.begin() + 8 + coretest::Le32(bytes, 4));
  const coretest::AviWalk walk = coretest::WalkAvi(crashed);
  ASSERT_TRUE(walk.ok()) << walk.error;
  EXPECT_GT(walk.video_chunks, 0u);
  EXPECT_LT(walk.video_chunks, writer.frames_written()) << "the open segment is not claimed";
  EXPECT_TRUE(walk.has_idx1);
  EXPECT_TRUE(walk.has_indx);
  writer.Close();
}

TEST(AviStructure, RateIsReducedAndHeaderSizeIsStable) {
  struct Row {
    std::uint32_t us;
    std::uint32_t scale, rate;
  };
  const Row rows[] = {{40000, 1, 25}, {33333, 33333, 1000000}, {66667, 66667, 1000000}, {1000000, 1, 1}};
  for (const Row& row : rows) {
    std::vector<std::uint8_t> bytes;
    {
      morvane::AviWriter writer(std::make_unique<coretest::MemorySink>(&bytes), {{32, 32, 24}, row.us},
                                std::nullopt);
    }
    const coretest::AviWalk walk = coretest::WalkAvi(bytes);
    ASSERT_TRUE(walk.ok()) << walk.error;
    for (const AviChunk& ch : walk.chunks) {
      if (ch.id != avi::FourCc("strh")) continue;
      EXPECT_EQ(Le32(bytes, ch.offset + 8 + 20), row.scale) << row.us;
      EXPECT_EQ(Le32(bytes, ch.offset + 8 + 24), row.rate) << row.us;
    }
  }
}

}  // namespace

// Compressed frames: '00dc' chunks of the sizes the codec made, in order,
// key frames flagged in idx1 and in the standard indexes alike, the codec
// named in strh and strf, and the dropped slots as empty repeats.
struct CompressedCase {
  const char* name;
  int frames;
  int key_every;     // 1: every frame a key frame (Motion JPEG)
  int dropped_every; // 0: none dropped
  std::uint64_t riff_limit;
  morvane::AviIndexLimits limits;
  std::size_t codec_extra;  // bytes of the codec's own after its header; 0: strf made by the writer
};

const CompressedCase kCompressedCases[] = {
    {"all_key_one_segment", 30, 1, 0, morvane::kDefaultRiffLimit, {}, 0},
    {"key_every_fourth_with_drops", 40, 4, 7, morvane::kDefaultRiffLimit, {}, 0},
    // An odd length, rewritten as each segment closes.
    {"segments_small_blocks_codec_format", 120, 5, 9, 64 * 1024, {6, 64}, 5},
};

class AviCompressed : public ::testing::TestWithParam<CompressedCase> {};

TEST_P(AviCompressed, SizesKeyFramesAndCodecAgree) {
  const CompressedCase& c = GetParam();
  std::vector<std::uint8_t> bytes;
  morvane::AviVideoFormat video{{160, 120, 24}, 33333};
  video.compression = avi::FourCc("MJPG");
  if (c.codec_extra) {
    const auto header = morvane::MakeBitmapInfoHeader(video.frame);
    video.codec_format.assign(header.begin(), header.end());
    video.codec_format[0] = static_cast<std::uint8_t>(morvane::kBitmapInfoHeaderSize + c.codec_extra);
    for (int i = 0; i < 4; ++i) video.codec_format[16 + i] = static_cast<std::uint8_t>("MJPG"[i]);
    for (std::size_t i = 0; i < c.codec_extra; ++i) video.codec_format.push_back(static_cast<std::uint8_t>(0xA0 + i));
  }
  std::vector<std::uint32_t> sizes;
  std::vector<bool> keys;
  {
    morvane::AviWriter writer(std::make_unique<coretest::MemorySink>(&bytes), video, std::nullopt, c.riff_limit,
                              c.limits);
    std::vector<std::uint8_t> data(9000);
    for (int i = 0; i < c.frames; ++i) {
      if (c.dropped_every && i % c.dropped_every == c.dropped_every - 1) {
        writer.WriteDroppedFrame();
        sizes.push_back(0);
        keys.push_back(false);
        continue;
      }
      const std::size_t size = 1 + static_cast<std::size_t>(i * 2311) % 8999;
      std::fill(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size), static_cast<std::uint8_t>(i));
      writer.WriteCompressedFrame(data.data(), size, i % c.key_every == 0);
      sizes.push_back(static_cast<std::uint32_t>(size));
      keys.push_back(i % c.key_every == 0);
    }
    // Uncompressed frames do not go into a compressed stream, nor frames
    // past what a codec can make of one.
    EXPECT_THROW(writer.WriteVideoFrame(data.data(), video.frame.ImageSize()), morvane::CaptureError);
    EXPECT_THROW(writer.WriteCompressedFrame(data.data(), writer.MaxCompressedFrame() + 1, true),
                 morvane::CaptureError);
    writer.Close();
  }
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  ASSERT_TRUE(walk.ok()) << walk.error;
  ASSERT_TRUE(walk.has_idx1 && walk.has_indx);
  EXPECT_EQ(walk.video_chunks, static_cast<std::uint32_t>(c.frames));
  EXPECT_EQ(walk.video_length, static_cast<std::uint32_t>(c.frames));
  if (c.riff_limit < morvane::kDefaultRiffLimit) {
    EXPECT_GT(walk.segments, 2) << "the case should need segments";
  }
  std::vector<std::uint32_t> found;
  for (const AviChunk& ch : walk.chunks) {
    EXPECT_NE(FourCcText(ch.id), "00db");
    if (ch.id == avi::FourCc("00dc")) found.push_back(ch.size);
  }
  EXPECT_EQ(found, sizes);
  EXPECT_EQ(walk.video_key_frames, keys);
  const std::vector<bool> first_keys(keys.begin(),
                                     keys.begin() + static_cast<std::ptrdiff_t>(walk.idx1_video_key_frames.size()));
  EXPECT_EQ(walk.idx1_video_key_frames, first_keys);
  // strh's handler and strf's biCompression name the codec.
  for (const AviChunk& ch : walk.chunks) {
    if (ch.segment != 0) continue;
    if (ch.id == avi::FourCc("strh")) {
      EXPECT_EQ(FourCcAt(bytes, ch.offset + 12), "MJPG");
    }
    if (ch.id == avi::FourCc("strf")) {
      EXPECT_EQ(FourCcAt(bytes, ch.offset + 8 + 16), "MJPG");
      // A codec's own format goes in as it gave it, its data included.
      if (!video.codec_format.empty()) {
        ASSERT_EQ(ch.size, video.codec_format.size());
        EXPECT_TRUE(std::equal(video.codec_format.begin(), video.codec_format.end(), bytes.begin() + ch.offset + 8));
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Codecs, AviCompressed, ::testing::ValuesIn(kCompressedCases),
                         [](const ::testing::TestParamInfo<CompressedCase>& info) {
                           return std::string(info.param.name);
                         });
