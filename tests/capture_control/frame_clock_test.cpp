// The control's pacing arithmetic: which frame slot a clock tick falls in,
// when the next one starts, time limits and the audio split.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>

#include "core/pattern.h"
#include "frame_clock.h"

namespace morvane {
namespace {

TEST(FrameClockTest, SlotsAndWaits) {
  struct Row {
    std::int64_t frequency;
    double rate;
    std::int64_t tick;  // after the start
    std::int64_t slot;
    std::int64_t next_slot_start;  // after the start
    std::uint32_t wait_ms;
  };
  const Row rows[] = {
      {10000000, 30, 0, 0, 333334, 34},
      {10000000, 30, 333333, 0, 333334, 1},
      {10000000, 30, 333334, 1, 666667, 34},
      {1000, 15, 999, 14, 1000, 1},
      {1000, 15, 1000, 15, 1067, 67},
      {3579545, 29.97, 3579545, 29, 3702, 1},
  };
  for (const Row& row : rows) {
    const std::int64_t start = 123456789;
    FrameClock clock(row.frequency, start, row.rate);
    EXPECT_EQ(row.slot, clock.SlotAt(start + row.tick)) << row.tick;
    if (row.frequency != 3579545) {
      EXPECT_EQ(start + row.next_slot_start, clock.SlotStart(row.slot + 1)) << row.tick;
      EXPECT_EQ(row.wait_ms, clock.MillisecondsUntil(row.slot + 1, start + row.tick)) << row.tick;
    }
    EXPECT_EQ(0u, clock.MillisecondsUntil(row.slot, start + row.tick)) << "a slot that began needs no wait";
  }
  FrameClock clock(1000, 0, 10);
  EXPECT_EQ(-1, clock.SlotAt(-1)) << "before the start";
}

TEST(FrameClockTest, TimeLimitsAndAudioSplit) {
  struct Row {
    double seconds;
    double rate;
    std::int64_t frames;
  };
  const Row rows[] = {{10, 30, 300}, {1, 10, 10}, {1.0 / 3.0, 30, 10}, {0.01, 15, 1}, {2.5, 15, 38}, {86400, 100, 8640000}};
  for (const Row& row : rows) EXPECT_EQ(row.frames, FramesForTimeLimit(row.seconds, row.rate)) << row.seconds;

  // Per-frame audio shares add up to exactly a second's worth.
  const std::uint32_t rates[] = {11025, 22050, 44100};
  const double fps[] = {15, 29.97, 30, 7};
  for (std::uint32_t samples : rates) {
    for (double frames : fps) {
      std::int64_t total = 0;
      const std::int64_t slots = static_cast<std::int64_t>(std::llround(frames * 10));
      for (std::int64_t slot = 0; slot < slots; ++slot) {
        const std::int64_t share = AudioSamplesBefore(slot + 1, samples, frames) - AudioSamplesBefore(slot, samples, frames);
        EXPECT_GE(share, 0);
        total += share;
      }
      EXPECT_NEAR(static_cast<double>(samples) * slots / frames, static_cast<double>(total), 1.0) << samples << " " << frames;
    }
  }
}

// Frame times and slot boundaries that sit on rounding edges: integer
// arithmetic gives the same answer in every build, where a double product
// such as 29 / 100.0 * 100 lands just below the whole number.
TEST(FrameClockTest, EdgesAreExactInEveryBuild) {
  struct Row {
    std::int64_t slot;
    double rate;
    const char* stamp;
  };
  const Row rows[] = {
      {41, 30, "00:00:01.36 #00000041"},    {29, 100, "00:00:00.29 #00000029"},
      {57, 100, "00:00:00.57 #00000057"},   {1, 29.97, "00:00:00.03 #00000001"},
      {30, 29.97, "00:00:01.00 #00000030"}, {300, 30, "00:00:10.00 #00000300"},
      {7, 0.1, "00:01:10.00 #00000007"},    {3, 3, "00:00:01.00 #00000003"},
      {1, 3, "00:00:00.33 #00000001"},      {2592000, 30, "24:00:00.00 #02592000"},
  };
  for (const Row& row : rows) {
    char text[kStampLength];
    FormatStamp(row.slot, SlotMicroseconds(row.slot, row.rate), text);
    EXPECT_EQ(std::string(row.stamp), std::string(text, sizeof text)) << row.slot << " at " << row.rate;
  }

  // Every slot begins exactly at its first tick, at the counter rates seen
  // on Windows and Wine and at rates that are not whole numbers.
  const std::int64_t frequencies[] = {1000, 3579545, 10000000, 2995000000};
  const double rates[] = {0.1, 1, 7, 15, 29.97, 30, 59.94, 100};
  for (std::int64_t frequency : frequencies) {
    for (double rate : rates) {
      const FrameClock clock(frequency, -5, rate);
      for (std::int64_t slot : {0LL, 1LL, 2LL, 29LL, 30LL, 1000LL, 2592000LL}) {
        const std::int64_t first = clock.SlotStart(slot);
        EXPECT_EQ(slot, clock.SlotAt(first)) << frequency << " " << rate << " " << slot;
        EXPECT_EQ(slot - 1, clock.SlotAt(first - 1)) << frequency << " " << rate << " " << slot;
      }
    }
  }
}

}  // namespace
}  // namespace morvane
