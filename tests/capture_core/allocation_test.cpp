// The capture loop's steady state does not touch the heap: patterns render
// into the caller's buffer, the tone fills the caller's buffer, and the
// writer's indexes live in storage reserved when the file was opened.
#include <gtest/gtest.h>

#include "audio_tone.h"
#include "avi_writer.h"
#include "pattern.h"
#include "test_support.h"

namespace {

// A sink that discards, so only the writer's own allocations are counted.
class NullSink : public morvane::FileSink {
 public:
  void Write(const void*, std::size_t size) override { position_ += size; }
  void Seek(std::uint64_t offset) override { position_ = offset; }
  std::uint64_t Position() const override { return position_; }
  void Truncate(std::uint64_t) override {}
  void Close() override {}

 private:
  std::uint64_t position_ = 0;
};

TEST(Allocations, RenderAndToneAllocateNothing) {
  const morvane::FrameFormat f{640, 480, 24};
  std::vector<std::uint8_t> bits(f.ImageSize());
  auto bars = morvane::MakeColourBars();
  auto board = morvane::MakeMovingCheckerboard();
  morvane::ToneGenerator tone({44100, 16, 2});
  std::vector<std::uint8_t> audio(1470 * 4);
  bars->Render(f, bits.data(), 0, 0);
  board->Render(f, bits.data(), 0, 0);
  const std::uint64_t before = coretest::AllocationCount();
  for (int i = 1; i <= 100; ++i) {
    bars->Render(f, bits.data(), i, i * 1000000LL / 30);
    board->Render(f, bits.data(), i, i * 1000000LL / 30);
    tone.Generate(audio.data(), 1470);
  }
  EXPECT_EQ(coretest::AllocationCount() - before, 0u);
}

struct WriterCase {
  const char* name;
  morvane::FrameFormat frame;
  std::uint64_t riff_limit;
  morvane::AviIndexLimits limits;
  int frames;
};

// Index blocks flushing, segments closing and opening: none of it allocates.
const WriterCase kWriterCases[] = {
    {"one_segment_640x480", {640, 480, 24}, morvane::kDefaultRiffLimit, {}, 600},
    {"many_segments_320x240", {320, 240, 24}, 2u << 20, {}, 600},
    {"small_blocks", {160, 120, 24}, morvane::kDefaultRiffLimit, {16, 512}, 600},
};

TEST(Allocations, WriterSteadyStateAllocatesNothing) {
  for (const WriterCase& c : kWriterCases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> bits(c.frame.ImageSize(), 0x42);
    std::vector<std::uint8_t> audio(1470 * 4, 0);
    morvane::AviWriter writer(std::make_unique<NullSink>(), {c.frame, 33333}, morvane::AudioFormat{44100, 16, 2},
                              c.riff_limit, c.limits);
    for (int i = 0; i < 5; ++i) {  // warm-up
      writer.WriteVideoFrame(bits.data(), bits.size());
      writer.WriteAudio(audio.data(), audio.size());
    }
    const std::uint64_t before = coretest::AllocationCount();
    for (int i = 0; i < c.frames; ++i) {
      writer.WriteVideoFrame(bits.data(), bits.size());
      writer.WriteAudio(audio.data(), audio.size());
    }
    EXPECT_EQ(coretest::AllocationCount() - before, 0u) << "segments: " << writer.segments();
    writer.Close();
  }
}

}  // namespace
