// Random text into LeadingNumber: it must never crash, and it must either
// give a finite double or report an overflow.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/leading_number.h"
#include "convert/number_to_text.h"
#include "convert/runtime_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two bytes a character, so that non-ASCII characters are fed too.
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  }
  // And the bytes as they are, which reach the interesting ASCII paths more often.
  std::wstring ascii(data, data + size);
  for (const std::wstring* t : {&text, &ascii}) {
    try {
      double v = convert::LeadingNumber(*t);
      if (!std::isfinite(v)) std::abort();
      std::wstring back = convert::NumberToText(v);
      if (back.empty() || back[0] == L' ') std::abort();
    } catch (const convert::RuntimeError& e) {
      if (e.number() != convert::kOverflow) std::abort();
    }
  }
  return 0;
}
