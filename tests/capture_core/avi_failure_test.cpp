// The writer when things go wrong: bad names, a full disk at every stage,
// misuse. Whatever happens, the file's headers never claim more frames than
// the file holds complete.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "avi_writer.h"
#include "capture_error.h"
#include "test_support.h"

namespace {

using morvane::CaptureError;
using morvane::CaptureErrorKind;

const morvane::FrameFormat kSmall{64, 48, 24};
const morvane::AviVideoFormat kVideo{kSmall, 33333};

// Complete 00db chunks in the file's RIFF segments (what a scanning reader finds).
int CompleteFrames(const std::vector<std::uint8_t>& bytes, int segment_limit) {
  std::vector<coretest::Chunk> chunks;
  coretest::WalkRiff(bytes, &chunks);
  int n = 0;
  for (const auto& c : chunks) {
    if (c.id == "00db" && c.segment < segment_limit && c.size == kSmall.ImageSize()) ++n;
  }
  return n;
}

struct FullDiskCase {
  const char* name;
  int frames_before_full;  // the disk fills while writing this frame (-1: while closing)
  std::uint64_t riff_limit;
  bool throws_on_write;
  int expected_claimed;    // frames the finished headers may claim
  bool expect_index;       // AVIF_HASINDEX in the result
};

// Frame chunk: 8 + 9216 bytes. With a 64 KiB limit a segment holds 6 frames.
const FullDiskCase kFullDisk[] = {
    {"during_first_frame", 0, morvane::kDefaultRiffLimit, true, 0, false},
    {"during_fifth_frame", 4, morvane::kDefaultRiffLimit, true, 4, false},
    {"while_closing", -1, morvane::kDefaultRiffLimit, false, 7, false},
    {"in_second_segment", 9, 64 * 1024, true, 6, true},
};

class AviFullDisk : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(AviFullDisk, KeepsWhatIsCompleteAndSaysSo) {
  const FullDiskCase& c = GetParam();
  std::vector<std::uint8_t> bytes;
  auto* sink = new coretest::MemorySink(&bytes);
  std::vector<std::uint8_t> frame(kSmall.ImageSize(), 0x5A);
  std::optional<CaptureError> error;
  {
    morvane::AviWriter writer(std::unique_ptr<morvane::FileSink>(sink), kVideo, std::nullopt, c.riff_limit);
    const int total = c.frames_before_full < 0 ? 7 : c.frames_before_full + 1;
    for (int i = 0; i < total; ++i) {
      // Room for half the next frame only: the frame is torn.
      if (i == c.frames_before_full) sink->set_capacity(bytes.size() + kSmall.ImageSize() / 2);
      try {
        writer.WriteVideoFrame(frame.data(), frame.size());
      } catch (const CaptureError& e) {
        error = e;
      }
    }
    EXPECT_EQ(error.has_value(), c.throws_on_write);
    if (error) {
      EXPECT_EQ(error->kind(), CaptureErrorKind::kDiskFull);
    }
    if (c.frames_before_full < 0) sink->set_capacity(bytes.size());
    // Close reports the failure too: the file is not a complete capture.
    try {
      writer.Close();
      ADD_FAILURE() << "Close succeeded on a full disk";
    } catch (const CaptureError& e) {
      EXPECT_EQ(e.kind(), CaptureErrorKind::kDiskFull);
      EXPECT_FALSE(e.message().empty());
    }
    EXPECT_THROW(writer.WriteVideoFrame(frame.data(), frame.size()), CaptureError);
  }
  std::vector<coretest::Chunk> chunks;
  ASSERT_EQ(coretest::WalkRiff(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8 + coretest::Le32(bytes, 4)), &chunks), "");
  const coretest::AviFacts facts = coretest::ReadFacts(bytes, chunks);
  EXPECT_EQ(facts.avih_frames, static_cast<std::uint32_t>(c.expected_claimed));
  EXPECT_EQ(facts.video_length, static_cast<std::uint32_t>(c.expected_claimed));
  EXPECT_EQ(facts.dmlh_frames, static_cast<std::uint32_t>(c.expected_claimed));
  EXPECT_EQ((facts.avih_flags & 0x10) != 0, c.expect_index);
  EXPECT_FALSE(facts.has_indx) << "a super index would claim segments that are not finished";
  EXPECT_LE(facts.avih_frames, static_cast<std::uint32_t>(CompleteFrames(bytes, 1)));
}

INSTANTIATE_TEST_SUITE_P(Stages, AviFullDisk, ::testing::ValuesIn(kFullDisk),
                         [](const ::testing::TestParamInfo<FullDiskCase>& info) { return std::string(info.param.name); });

TEST(AviFailure, TransientFailureKeepsEarlierFramesReadable) {
  std::vector<std::uint8_t> bytes;
  auto* sink = new coretest::MemorySink(&bytes);
  std::vector<std::uint8_t> frame(kSmall.ImageSize(), 1);
  morvane::AviWriter writer(std::unique_ptr<morvane::FileSink>(sink), kVideo, std::nullopt);
  for (int i = 0; i < 3; ++i) writer.WriteVideoFrame(frame.data(), frame.size());
  sink->set_fail_growth_once(true);
  EXPECT_THROW(writer.WriteVideoFrame(frame.data(), frame.size()), CaptureError);
  // Space is back, but the writer no longer trusts the stream: it refuses
  // more data and finishes what it has, reporting the failure.
  EXPECT_THROW(writer.WriteVideoFrame(frame.data(), frame.size()), CaptureError);
  EXPECT_THROW(writer.Close(), CaptureError);
  std::vector<coretest::Chunk> chunks;
  ASSERT_EQ(coretest::WalkRiff(bytes, &chunks), "");
  EXPECT_EQ(coretest::ReadFacts(bytes, chunks).avih_frames, 3u);
  EXPECT_EQ(CompleteFrames(bytes, 1), 3);
  EXPECT_EQ(writer.frames_written(), 3u);
}

struct BadPathCase {
  const char* name;
  std::filesystem::path (*make)(const std::filesystem::path& dir);
  CaptureErrorKind kind;
};

const BadPathCase kBadPaths[] = {
    {"empty", [](const std::filesystem::path&) { return std::filesystem::path(); }, CaptureErrorKind::kEmptyPath},
    {"directory", [](const std::filesystem::path& d) { return d; }, CaptureErrorKind::kIsDirectory},
    {"missing_folder", [](const std::filesystem::path& d) { return d / "no such folder" / "x.avi"; },
     CaptureErrorKind::kCannotCreate},
};

TEST(AviFailure, BadPathsAreRefusedWithAMessage) {
  coretest::TempDir dir("avi-bad-path");
  for (const BadPathCase& c : kBadPaths) {
    SCOPED_TRACE(c.name);
    try {
      morvane::AviWriter writer(c.make(dir.path()), kVideo, std::nullopt);
      ADD_FAILURE() << "accepted";
    } catch (const CaptureError& e) {
      EXPECT_EQ(e.kind(), c.kind);
      EXPECT_FALSE(e.message().empty());
      EXPECT_NE(std::string(e.what()), "");
    }
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.path())) << "the folder must survive";
}

#ifndef _WIN32
TEST(AviFailure, DeviceWithNoSpaceReportsDiskFull) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  try {
    morvane::AviWriter writer("/dev/full", kVideo, std::nullopt);
    ADD_FAILURE() << "headers written to /dev/full";
  } catch (const CaptureError& e) {
    EXPECT_EQ(e.kind(), CaptureErrorKind::kDiskFull);
    EXPECT_EQ(e.system_code(), 28u);  // ENOSPC
  }
}
#endif

TEST(AviFailure, BadFormatsAndBuffersAreRefused) {
  struct Row {
    const char* name;
    morvane::AviVideoFormat video;
    std::optional<morvane::AviAudioFormat> audio;
    std::uint64_t riff_limit;
  };
  const Row rows[] = {
      {"too_narrow", {{15, 48, 24}, 33333}, std::nullopt, morvane::kDefaultRiffLimit},
      {"too_tall", {{64, 4097, 24}, 33333}, std::nullopt, morvane::kDefaultRiffLimit},
      {"depth_16", {{64, 48, 16}, 33333}, std::nullopt, morvane::kDefaultRiffLimit},
      {"zero_period", {{64, 48, 24}, 0}, std::nullopt, morvane::kDefaultRiffLimit},
      {"audio_12_bit", kVideo, morvane::AviAudioFormat{11025, 12, 1}, morvane::kDefaultRiffLimit},
      {"audio_3_channels", kVideo, morvane::AviAudioFormat{11025, 8, 3}, morvane::kDefaultRiffLimit},
      {"tiny_limit", kVideo, std::nullopt, 1024},
      {"huge_limit", kVideo, std::nullopt, 1ull << 33},
  };
  coretest::TempDir dir("avi-bad-format");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto path = dir.path() / (std::string(row.name) + ".avi");
    EXPECT_THROW(morvane::AviWriter(path, row.video, row.audio, row.riff_limit), CaptureError);
    EXPECT_FALSE(std::filesystem::exists(path)) << "a refused format leaves no file";
  }

  std::vector<std::uint8_t> bytes;
  morvane::AviWriter writer(std::make_unique<coretest::MemorySink>(&bytes), kVideo, morvane::AviAudioFormat{11025, 16, 2});
  std::vector<std::uint8_t> frame(kSmall.ImageSize() + 1);
  EXPECT_THROW(writer.WriteVideoFrame(frame.data(), frame.size()), CaptureError);
  EXPECT_THROW(writer.WriteVideoFrame(nullptr, kSmall.ImageSize()), CaptureError);
  EXPECT_THROW(writer.WriteAudio(frame.data(), 6), CaptureError) << "not whole sample frames";
  EXPECT_THROW(writer.WriteAudio(frame.data(), 0), CaptureError);
  // Refused input does not spoil the file.
  writer.WriteVideoFrame(frame.data(), kSmall.ImageSize());
  writer.WriteAudio(frame.data(), 8);
  writer.Close();
  EXPECT_THROW(writer.WriteVideoFrame(frame.data(), kSmall.ImageSize()), CaptureError);
  std::vector<coretest::Chunk> chunks;
  ASSERT_EQ(coretest::WalkRiff(bytes, &chunks), "");
  EXPECT_EQ(coretest::ReadFacts(bytes, chunks).avih_frames, 1u);
  EXPECT_EQ(coretest::ReadFacts(bytes, chunks).audio_length, 2u);
}

TEST(AviFailure, FullIndexStopsCleanlyAndKeepsTheFile) {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> frame(kSmall.ImageSize(), 3);
  morvane::AviWriter writer(std::make_unique<coretest::MemorySink>(&bytes), kVideo, std::nullopt,
                            morvane::kDefaultRiffLimit, {4, 2});
  for (int i = 0; i < 8; ++i) writer.WriteVideoFrame(frame.data(), frame.size());
  try {
    writer.WriteVideoFrame(frame.data(), frame.size());
    ADD_FAILURE() << "ninth frame accepted with room for eight";
  } catch (const CaptureError& e) {
    EXPECT_EQ(e.kind(), CaptureErrorKind::kFileTooLong);
  }
  writer.Close();  // the file itself is fine
  std::vector<coretest::Chunk> chunks;
  ASSERT_EQ(coretest::WalkRiff(bytes, &chunks), "");
  const auto facts = coretest::ReadFacts(bytes, chunks);
  EXPECT_EQ(facts.avih_frames, 8u);
  EXPECT_TRUE(facts.has_indx);
}

TEST(AviFailure, DestructorFinishesAnAbandonedFile) {
  coretest::TempDir dir("avi-abandoned");
  const auto path = dir.path() / "abandoned.avi";
  std::vector<std::uint8_t> frame(kSmall.ImageSize(), 9);
  {
    morvane::AviWriter writer(path, kVideo, std::nullopt);
    for (int i = 0; i < 5; ++i) writer.WriteVideoFrame(frame.data(), frame.size());
  }
  const auto bytes = coretest::ReadWholeFile(path);
  std::vector<coretest::Chunk> chunks;
  ASSERT_EQ(coretest::WalkRiff(bytes, &chunks), "");
  EXPECT_EQ(coretest::ReadFacts(bytes, chunks).avih_frames, 5u);
}

}  // namespace
