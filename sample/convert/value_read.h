// Narrowing a number the control returned to the type a field needs.
#pragma once

#include <cstdint>

namespace convert {

// Nearest integer, a tie to the even one (14.5 is 14, 15.5 is 16).
// Throws RuntimeError (overflow) outside -32768..32767 and for NaN.
std::int16_t ToInteger16(double value);

// Same rounding, 32-bit range.
std::int32_t ToInteger32(double value);

// Round to nearest single; throws RuntimeError (overflow) when the value is
// beyond the single range.
float ToSingle(double value);

}  // namespace convert
