#include "convert/value_read.h"

#include <cfloat>
#include <cmath>

#include "convert/runtime_error.h"

namespace convert {
namespace {

double RoundHalfEven(double value) {
  double floor = std::floor(value);
  double diff = value - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

}  // namespace

std::int16_t ToInteger16(double value) {
  if (std::isnan(value)) throw RuntimeError::Overflow();
  double r = RoundHalfEven(value);
  if (r < -32768.0 || r > 32767.0) throw RuntimeError::Overflow();
  return static_cast<std::int16_t>(r);
}

std::int32_t ToInteger32(double value) {
  if (std::isnan(value)) throw RuntimeError::Overflow();
  double r = RoundHalfEven(value);
  if (r < -2147483648.0 || r > 2147483647.0) throw RuntimeError::Overflow();
  return static_cast<std::int32_t>(r);
}

float ToSingle(double value) {
  if (std::isnan(value)) return static_cast<float>(value);
  // FLT_MAX plus half a unit in the last place: from there on the nearest
  // single is infinity.
  constexpr double kSingleLimit = 0x1.ffffffp127;
  if (std::isfinite(value) && std::fabs(value) >= kSingleLimit) throw RuntimeError::Overflow();
  return static_cast<float>(value);
}

}  // namespace convert
