#include "frame_clock.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace morvane {
namespace {

constexpr std::int64_t kMaxMilliRate = 1000LL * 1000;  // a thousand frames a second
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// a * b / c rounded down (or up), for b >= 0 and c > 0, without forming
// a * b: a is split by c first so that only its remainder is multiplied.
// The callers keep b and c small enough for that product to fit; a result
// past the 64-bit range saturates rather than wrapping.
std::int64_t MulDivNonNegative(std::int64_t a, std::int64_t b, std::int64_t c, bool round_up) {
  const std::int64_t q = a / c;
  const std::int64_t r = a % c;
  if (q > 0 && b > kMax / q) return kMax;
  if (r > 0 && b > kMax / r) return kMax;
  const std::int64_t whole = q * b;
  const std::int64_t scaled = r * b;
  const std::int64_t part = scaled / c + (round_up && scaled % c != 0 ? 1 : 0);
  return whole > kMax - part ? kMax : whole + part;
}

std::int64_t MulDivFloor(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (a >= 0) return MulDivNonNegative(a, b, c, false);
  const std::int64_t magnitude = a == std::numeric_limits<std::int64_t>::min() ? kMax : -a;
  return -MulDivNonNegative(magnitude, b, c, true);
}

std::int64_t MulDivCeil(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (a >= 0) return MulDivNonNegative(a, b, c, true);
  const std::int64_t magnitude = a == std::numeric_limits<std::int64_t>::min() ? kMax : -a;
  return -MulDivNonNegative(magnitude, b, c, false);
}

// a + b and a - b, held at the ends of the range instead of wrapping.
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  if (b > 0 && a > kMax - b) return kMax;
  if (b < 0 && a < std::numeric_limits<std::int64_t>::min() - b) return std::numeric_limits<std::int64_t>::min();
  return a + b;
}
std::int64_t SaturatingSubtract(std::int64_t a, std::int64_t b) {
  if (b == std::numeric_limits<std::int64_t>::min()) return a >= 0 ? kMax : a - b;
  return SaturatingAdd(a, -b);
}

// floor(x / n) for n > 0, whatever the sign of x.
std::int64_t FloorDiv(std::int64_t x, std::int64_t n) { return x / n - (x % n < 0 ? 1 : 0); }

}  // namespace

std::int64_t MilliFramesPerSecond(double frames_per_second) {
  if (!(frames_per_second > 0)) return 1000;  // also catches NaN: one frame a second
  if (frames_per_second >= static_cast<double>(kMaxMilliRate) / 1000) return kMaxMilliRate;
  return std::max<std::int64_t>(1, std::llround(frames_per_second * 1000));
}

FrameClock::FrameClock(std::int64_t frequency, std::int64_t start, double frames_per_second)
    : frequency_(frequency > 0 ? frequency : 1), start_(start), millirate_(MilliFramesPerSecond(frames_per_second)) {}

std::int64_t FrameClock::SlotAt(std::int64_t tick) const {
  // slots = ticks * millirate / (frequency * 1000), divided in two steps so
  // that no product outgrows 64 bits at a 10 MHz or GHz counter.
  return FloorDiv(MulDivFloor(SaturatingSubtract(tick, start_), millirate_, frequency_), 1000);
}

std::int64_t FrameClock::SlotStart(std::int64_t slot) const {
  const std::int64_t thousandths = slot > kMax / 1000 ? kMax : slot * 1000;
  const std::int64_t ticks = MulDivCeil(thousandths, frequency_, millirate_);
  return SaturatingAdd(start_, ticks);
}

std::uint32_t FrameClock::MillisecondsUntil(std::int64_t slot, std::int64_t tick) const {
  const std::int64_t remaining = SaturatingSubtract(SlotStart(slot), tick);
  if (remaining <= 0) return 0;
  const std::int64_t milliseconds = MulDivCeil(remaining, 1000, frequency_);
  return milliseconds > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<std::uint32_t>(milliseconds);
}

std::int64_t SlotMicroseconds(std::int64_t slot, double frames_per_second) {
  return MulDivFloor(slot, 1000LL * 1000 * 1000, MilliFramesPerSecond(frames_per_second));
}

std::int64_t FramesForTimeLimit(double seconds, double frames_per_second) {
  // Rounded to the nearest frame, not truncated: 1/3 s at 30 fps is 10
  // frames. The limit is taken in whole milliseconds first.
  const double capped = std::min(std::max(seconds, 0.0), 1e9);
  const std::int64_t milliseconds = std::llround(capped * 1000);
  // At most 10^12 ms times 10^6 thousandths of a frame: fits in 64 bits.
  const std::int64_t millionths = milliseconds * MilliFramesPerSecond(frames_per_second);
  const std::int64_t frames = FloorDiv(millionths + 500000, 1000000);
  return frames < 1 ? 1 : frames;
}

std::int64_t AudioSamplesBefore(std::int64_t slot, std::uint32_t samples_per_second, double frames_per_second) {
  if (slot <= 0 || !(frames_per_second > 0)) return 0;
  return MulDivFloor(slot, static_cast<std::int64_t>(samples_per_second) * 1000, MilliFramesPerSecond(frames_per_second));
}

}  // namespace morvane
