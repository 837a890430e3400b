// The writer when things go wrong: bad names, a full disk at every stage,
// misuse. Whatever happens, the file's headers never claim more frames than
// the file holds complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <new>
#include <optional>

#include "avi_chunks.h"
#include "avi_walk.h"
#include "avi_writer.h"
#include "bmp_writer.h"
#include "capture_error.h"
#include "test_support.h"

namespace {

using morvane::CaptureError;
using morvane::CaptureErrorKind;

const morvane::FrameFormat kSmall{64, 48, 24};
const morvane::AviVideoFormat kVideo{kSmall, 33333};

struct FullDiskCase {
  const char* name;
  int frames_before_full;  // the disk fills while writing this frame (-1: while closing)
  std::uint64_t riff_limit;
  bool throws_on_write;
  int expected_frames;     // complete frames the finished file holds and claims
  bool expect_index;       // idx1 and the super indexes in the result
};

// Frame chunk: 8 + 9216 bytes. With a 64 KiB limit a segment holds 6 frames.
// A disk that fills on a frame leaves the torn half to cut, room enough for
// the indexes; one that fills while closing leaves none, so the first
// segment keeps its frames without an index.
const FullDiskCase kFullDisk[] = {
    {"during_first_frame", 0, morvane::kDefaultRiffLimit, true, 0, true},
    {"during_fifth_frame", 4, morvane::kDefaultRiffLimit, true, 4, true},
    {"while_closing", -1, morvane::kDefaultRiffLimit, false, 7, false},
    {"in_second_segment", 9, 64 * 1024, true, 9, true},
    {"in_third_segment", 14, 64 * 1024, true, 14, true},
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
    EXPECT_EQ(writer.frames_written(), static_cast<std::uint32_t>(c.expected_frames));
  }
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  ASSERT_TRUE(walk.ok()) << walk.error;
  EXPECT_EQ(walk.video_chunks, static_cast<std::uint32_t>(c.expected_frames));
  EXPECT_EQ(walk.video_length, static_cast<std::uint32_t>(c.expected_frames));
  EXPECT_EQ(walk.has_idx1, c.expect_index);
  EXPECT_EQ(walk.has_indx, c.expect_index);
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
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  ASSERT_TRUE(walk.ok()) << walk.error;
  EXPECT_EQ(walk.avih_frames, 3u);
  EXPECT_EQ(walk.video_chunks, 3u);
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
  constexpr std::uint32_t kMjpg = 'M' | 'J' << 8 | 'P' << 16 | 'G' << 24;
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
      // A codec's own format that no reader could take.
      {"codec_format_short", {{64, 48, 24}, 33333, kMjpg, std::vector<std::uint8_t>(morvane::kBitmapInfoHeaderSize - 1)},
       std::nullopt, morvane::kDefaultRiffLimit},
      {"codec_format_huge", {{64, 48, 24}, 33333, kMjpg, std::vector<std::uint8_t>(morvane::avi::kMaxVideoFormat + 1)},
       std::nullopt, morvane::kDefaultRiffLimit},
      {"codec_format_uncompressed", {{64, 48, 24}, 33333, 0, std::vector<std::uint8_t>(morvane::kBitmapInfoHeaderSize)},
       std::nullopt, morvane::kDefaultRiffLimit},
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
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  ASSERT_TRUE(walk.ok()) << walk.error;
  EXPECT_EQ(walk.avih_frames, 1u);
  EXPECT_EQ(walk.audio_length, 2u);
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
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  ASSERT_TRUE(walk.ok()) << walk.error;
  EXPECT_EQ(walk.avih_frames, 8u);
  EXPECT_TRUE(walk.has_indx);
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
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  ASSERT_TRUE(walk.ok()) << walk.error;
  EXPECT_EQ(walk.avih_frames, 5u);
}

// Every write of a capture that spans several segments, made to fail in
// turn: as a transient error (that one write tears, the disk is fine after)
// and as a disk that fills there. Whatever fails, the finished file walks
// clean, its headers and indexes agree with its chunks, and it keeps every
// complete frame and sample. Only a disk full to the byte, where not even
// the indexes fit once the torn chunk is cut, may cut back to the segments
// closed before.
namespace sweep {

enum class Fault { kTransient, kDiskFull };

struct Config {
  const char* name;
  std::optional<morvane::AudioFormat> audio;
  std::size_t audio_bytes;  // per frame
  morvane::AviIndexLimits limits;
  int frames;
  bool compressed = false;  // frames of varying sizes, every third a key frame
};

const Config kConfigs[] = {
    {"video", std::nullopt, 0, {}, 24},
    {"video_audio_small_blocks", morvane::AudioFormat{22050, 16, 2}, 2940, {4, 64}, 24},
    {"compressed_audio_small_blocks", morvane::AudioFormat{22050, 16, 2}, 2940, {4, 64}, 48, true},
};

// A compressed frame's size: smaller than the raw frame, odd and even.
std::size_t CompressedSize(int i) { return 2001 + static_cast<std::size_t>(i * 1237) % 7000; }
constexpr std::size_t kSmallestCompressed = 2001;

constexpr std::uint64_t kRiffLimit = 64 * 1024;

struct CaptureRun {
  std::vector<std::uint8_t> bytes;
  bool opened = false;
  bool close_threw = false;
  std::uint32_t frames_written = 0;
  std::uint64_t audio_written = 0;
  std::uint32_t segments_at_failure = 0;
  std::size_t failed_write_size = 0;
  std::uint64_t writes = 0;
};

CaptureRun Capture(const Config& c, Fault fault, std::int64_t fail_at) {
  CaptureRun run;
  auto owned = std::make_unique<coretest::MemorySink>(&run.bytes);
  coretest::MemorySink* sink = owned.get();
  if (fault == Fault::kTransient) {
    sink->fail_write_at(fail_at);
  } else {
    sink->fill_at_growth(fail_at);
  }
  std::optional<morvane::AviWriter> writer;
  try {
    morvane::AviVideoFormat video = kVideo;
    if (c.compressed) video.compression = morvane::avi::FourCc("MJPG");
    writer.emplace(std::move(owned), video, c.audio, kRiffLimit, c.limits);
  } catch (const CaptureError&) {
    return run;  // the headers did not go out: no file to speak of
  }
  run.opened = true;
  std::vector<std::uint8_t> frame(kSmall.ImageSize(), 0x5A);
  std::vector<std::uint8_t> audio(c.audio_bytes, 0x11);
  try {
    for (int i = 0; i < c.frames; ++i) {
      if (c.compressed) {
        writer->WriteCompressedFrame(frame.data(), CompressedSize(i), i % 3 == 0);
      } else {
        writer->WriteVideoFrame(frame.data(), frame.size());
      }
      if (c.audio) writer->WriteAudio(audio.data(), audio.size());
    }
  } catch (const CaptureError&) {
    // The capture stops at its first failure, as the control does.
  }
  run.segments_at_failure = writer->segments();
  try {
    writer->Close();
  } catch (const CaptureError&) {
    run.close_threw = true;
  }
  run.frames_written = writer->frames_written();
  run.audio_written = writer->audio_bytes_written();
  run.failed_write_size = sink->failed_write_size();
  run.writes = sink->writes();
  return run;
}

// Frames and read errors as ffprobe sees the file, decoding every frame.
struct Probe {
  int status = -1;
  std::string frames;
  std::string errors;
};

Probe ProbeFile(const std::vector<std::uint8_t>& bytes, const std::string& name) {
  Probe probe;
  coretest::TempDir dir("avi-failure-probe");
  const auto path = dir.path() / (name + ".avi");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  const std::string quoted = "'" + path.string() + "'";
  auto result = coretest::RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_streams -of flat " +
                                     quoted + " 2>/dev/null");
  probe.status = result.status;
  probe.frames = coretest::ParseFlat(result.out)["streams.stream.0.nb_read_frames"];
  probe.errors = coretest::RunCommand("ffmpeg -v error -i " + quoted + " -f null - 2>&1").out;
  return probe;
}

class AviFailureSweep : public ::testing::TestWithParam<Config> {};

TEST_P(AviFailureSweep, EveryFailedWriteLeavesAConsistentFile) {
  const Config& c = GetParam();
  const CaptureRun clean = Capture(c, Fault::kTransient, -1);
  const coretest::AviWalk reference = coretest::WalkAvi(clean.bytes);
  ASSERT_TRUE(reference.ok()) << reference.error;
  ASSERT_GE(reference.segments, 4) << "the sweep must reach a third extension segment";
  // Frames in the undisturbed file's segments, to know what a closed one holds.
  std::vector<std::uint32_t> closed_frames(reference.segments + 1, 0);
  for (const coretest::AviChunk& chunk : reference.chunks) {
    if (coretest::FourCcText(chunk.id) == "00db" || coretest::FourCcText(chunk.id) == "00dc") {
      for (int s = chunk.segment + 1; s <= reference.segments; ++s) ++closed_frames[s];
    }
  }
  const bool probe_tool = coretest::HaveTool("ffprobe") && coretest::HaveTool("ffmpeg");
  std::vector<bool> probed(reference.segments + 1, false);

  for (Fault fault : {Fault::kTransient, Fault::kDiskFull}) {
    for (std::int64_t at = 0; at < static_cast<std::int64_t>(clean.writes); ++at) {
      SCOPED_TRACE(std::string(fault == Fault::kTransient ? "transient" : "disk full") + " at write " +
                   std::to_string(at));
      const CaptureRun run = Capture(c, fault, at);
      // Not opened: the headers did not go out. No failure: the sweep is
      // past the last write that grows the file.
      if (!run.opened || run.failed_write_size == 0) continue;
      EXPECT_TRUE(run.close_threw) << "the caller must hear of the failure";
      const coretest::AviWalk walk = coretest::WalkAvi(run.bytes);
      ASSERT_TRUE(walk.ok()) << walk.error << " (segment " << run.segments_at_failure << ")";
      // A torn data chunk frees at least half of it: room for the indexes.
      const std::size_t smallest_video = c.compressed ? kSmallestCompressed : kSmall.ImageSize();
      const std::size_t smallest_chunk = 8 + (c.audio ? std::min(c.audio_bytes, smallest_video) : smallest_video);
      const bool room_for_indexes = fault == Fault::kTransient || run.failed_write_size >= smallest_chunk;
      if (room_for_indexes) {
        EXPECT_EQ(walk.video_chunks, run.frames_written);
        EXPECT_EQ(walk.audio_bytes, run.audio_written);
        EXPECT_TRUE(walk.has_idx1);
        EXPECT_TRUE(walk.has_indx);
        // Key frames keep their flags in both indexes, whatever was cut.
        for (std::size_t i = 0; i < walk.video_key_frames.size(); ++i) {
          ASSERT_EQ(walk.video_key_frames[i], !c.compressed || i % 3 == 0) << "frame " << i;
        }
      } else {
        EXPECT_LE(walk.video_chunks, run.frames_written);
        EXPECT_GE(walk.video_chunks, closed_frames[run.segments_at_failure - 1]);
      }

      // One torn frame per segment, read by ffmpeg as well.
      const std::uint32_t segment = run.segments_at_failure;
      if (!probe_tool || c.compressed || fault != Fault::kDiskFull || run.failed_write_size != kSmall.ImageSize() + 8 ||
          run.frames_written == 0 || segment > 3 || probed[segment]) {
        continue;
      }
      probed[segment] = true;
      const Probe probe = ProbeFile(run.bytes, std::string(c.name) + "-segment" + std::to_string(segment));
      EXPECT_EQ(probe.status, 0);
      EXPECT_EQ(probe.frames, std::to_string(run.frames_written)) << "segment " << segment;
      EXPECT_EQ(probe.errors, "") << "segment " << segment;
    }
  }
  if (probe_tool && !c.compressed) {
    for (std::uint32_t s = 1; s <= 3; ++s) EXPECT_TRUE(probed[s]) << "no frame torn in segment " << s;
  }
}

INSTANTIATE_TEST_SUITE_P(Captures, AviFailureSweep, ::testing::ValuesIn(kConfigs),
                         [](const ::testing::TestParamInfo<Config>& info) { return std::string(info.param.name); });

}  // namespace sweep

TEST(AviFailure, ClassicIndexThatCannotGrowLeavesNoChunkBehind) {
  // 1-byte sample chunks fill the first segment with far more chunks than
  // the classic index reserved room for, so it grows several times.
  std::vector<std::uint8_t> bytes;
  morvane::AviWriter writer(std::make_unique<coretest::MemorySink>(&bytes), kVideo, morvane::AudioFormat{11025, 8, 1},
                            64 * 1024);
  std::vector<std::uint8_t> frame(kSmall.ImageSize(), 7);
  const std::uint8_t sample = 0x80;
  writer.WriteVideoFrame(frame.data(), frame.size());
  int refused = 0;
  for (int i = 0; i < 300; ++i) {
    coretest::FailAllocationAt(0);
    try {
      writer.WriteAudio(&sample, 1);
    } catch (const std::bad_alloc&) {
      ++refused;
      coretest::FailAllocationAt(-1);
      writer.WriteAudio(&sample, 1);  // memory is back: the writer goes on
    }
    coretest::FailAllocationAt(-1);
  }
  EXPECT_GE(refused, 2) << "the index should have needed to grow";
  EXPECT_EQ(writer.audio_bytes_written(), 300u);
  writer.Close();
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  ASSERT_TRUE(walk.ok()) << walk.error;
  EXPECT_EQ(walk.audio_bytes, 300u);
  EXPECT_EQ(walk.audio_length, 300u);
  EXPECT_TRUE(walk.has_idx1);
}

}  // namespace
