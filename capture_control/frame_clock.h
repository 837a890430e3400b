// Real-time pacing of a capture: which frame slot a moment falls in, when a
// slot starts, and how many frames a time limit allows. Pure arithmetic on
// performance-counter ticks, so it can be checked without a clock.
//
// Rates are held as whole thousandths of a frame per second and every step
// is integer arithmetic: the 32-bit and 64-bit builds, and any processor,
// then agree on every slot and every stamp, even at exact slot boundaries
// where a double product lands a hair either side of a whole number.
#pragma once

#include <cstdint>

namespace morvane {

class FrameClock {
 public:
  // frequency: counter ticks per second; start: the tick of slot 0.
  FrameClock(std::int64_t frequency, std::int64_t start, double frames_per_second);

  // The slot a tick lies in (negative before the start).
  std::int64_t SlotAt(std::int64_t tick) const;
  // The first tick of a slot.
  std::int64_t SlotStart(std::int64_t slot) const;
  // Whole milliseconds to wait from tick until slot begins, rounded up; 0
  // when it has begun.
  std::uint32_t MillisecondsUntil(std::int64_t slot, std::int64_t tick) const;

 private:
  std::int64_t frequency_;
  std::int64_t start_;
  std::int64_t millirate_;
};

// A rate in whole thousandths of a frame per second, at least 1.
std::int64_t MilliFramesPerSecond(double frames_per_second);
// When slot n begins, in whole microseconds after slot 0 (cut, not rounded).
std::int64_t SlotMicroseconds(std::int64_t slot, double frames_per_second);
// The number of frame slots a time limit covers (at least one).
std::int64_t FramesForTimeLimit(double seconds, double frames_per_second);
// Audio sample frames that belong before video frame slot n.
std::int64_t AudioSamplesBefore(std::int64_t slot, std::uint32_t samples_per_second, double frames_per_second);

}  // namespace morvane
