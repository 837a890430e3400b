#include "frame_clock.h"

#include <cmath>

namespace morvane {

FrameClock::FrameClock(std::int64_t frequency, std::int64_t start, double frames_per_second)
    : frequency_(frequency > 0 ? frequency : 1), start_(start), rate_(frames_per_second > 0 ? frames_per_second : 1) {}

std::int64_t FrameClock::SlotAt(std::int64_t tick) const {
  const double slots = static_cast<double>(tick - start_) * rate_ / static_cast<double>(frequency_);
  return static_cast<std::int64_t>(std::floor(slots));
}

std::int64_t FrameClock::SlotStart(std::int64_t slot) const {
  const double ticks = static_cast<double>(slot) * static_cast<double>(frequency_) / rate_;
  return start_ + static_cast<std::int64_t>(std::ceil(ticks));
}

std::uint32_t FrameClock::MillisecondsUntil(std::int64_t slot, std::int64_t tick) const {
  const std::int64_t remaining = SlotStart(slot) - tick;
  if (remaining <= 0) return 0;
  const double milliseconds = std::ceil(static_cast<double>(remaining) * 1000.0 / static_cast<double>(frequency_));
  return milliseconds > 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(milliseconds);
}

std::int64_t FramesForTimeLimit(double seconds, double frames_per_second) {
  // Rounded, not truncated: 1/3 s at 30 fps is 10 frames although the
  // product comes out as 9.999...
  const double frames = std::llround(seconds * frames_per_second);
  return frames < 1 ? 1 : static_cast<std::int64_t>(frames);
}

std::int64_t AudioSamplesBefore(std::int64_t slot, std::uint32_t samples_per_second, double frames_per_second) {
  if (slot <= 0 || frames_per_second <= 0) return 0;
  return static_cast<std::int64_t>(
      std::floor(static_cast<double>(slot) * static_cast<double>(samples_per_second) / frames_per_second + 1e-9));
}

}  // namespace morvane
