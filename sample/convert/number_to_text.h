// Number to text, as numbers are written into the program's fields and
// messages: decimal, no leading blank, no trailing period.
#pragma once

#include <cstdint>
#include <string>

namespace convert {

// At most 15 significant digits; exponent form (1.5E+15, 1E-05) for
// magnitudes from 1E+15 on and below 1E-04, as OLE's own variant-to-text
// conversion writes them.
std::wstring NumberToText(double value);
// At most 7 significant digits; exponent form from 1E+07 on.
std::wstring NumberToText(float value);
std::wstring NumberToText(std::int64_t value);
inline std::wstring NumberToText(std::int32_t value) { return NumberToText(static_cast<std::int64_t>(value)); }
inline std::wstring NumberToText(std::int16_t value) { return NumberToText(static_cast<std::int64_t>(value)); }

}  // namespace convert
