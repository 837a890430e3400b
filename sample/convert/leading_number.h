// Text to number, the way a user's entry in a numeric field is read: the
// value of the number that begins the text, 0 when none does.
#pragma once

#include <string_view>

namespace convert {

// Blanks, tabs and line feeds are skipped wherever they stand; then an
// optional sign, digits, one period (whatever the locale) and an exponent
// with E or D; reading stops at the first character that cannot continue the
// number. "&H" and "&O" read hexadecimal and octal integers.
// Throws RuntimeError (overflow) when the number does not fit a double.
double LeadingNumber(std::wstring_view text);

}  // namespace convert
