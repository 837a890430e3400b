#include "convert/leading_number.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "convert/runtime_error.h"

namespace convert {
namespace {

bool IsSkipped(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads the significant characters one by one, blanks dropped.
class Cursor {
 public:
  explicit Cursor(std::wstring_view text) : text_(text) { Skip(); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  wchar_t Peek() const { return AtEnd() ? L'\0' : text_[pos_]; }
  void Next() {
    ++pos_;
    Skip();
  }

 private:
  void Skip() {
    while (pos_ < text_.size() && IsSkipped(text_[pos_])) ++pos_;
  }
  std::wstring_view text_;
  size_t pos_ = 0;
};

int DigitValue(wchar_t c, int base) {
  int v = -1;
  if (c >= L'0' && c <= L'9') v = c - L'0';
  else if (c >= L'a' && c <= L'f') v = c - L'a' + 10;
  else if (c >= L'A' && c <= L'F') v = c - L'A' + 10;
  return v < base ? v : -1;
}

double RadixInteger(Cursor& in, int base) {
  double value = 0;
  for (int d; (d = DigitValue(in.Peek(), base)) >= 0; in.Next()) {
    value = value * base + d;
    if (std::isinf(value)) throw RuntimeError::Overflow();
  }
  return value;
}

// A decimal number as read so far: its characters in the "C" form that
// from_chars reads, so the locale's decimal separator never matters, and the
// decimal magnitude of its first significant digit with the exponent's value,
// to tell an overflow from an underflow when the value is out of range.
struct DecimalText {
  std::string number;
  bool any_digit = false;
  long long magnitude = 0;
  long long exponent = 0;
};

// Exponents beyond this many digits' worth stay at it: the value is out of
// range either way, and only its direction matters.
constexpr long long kExponentCap = 1000000000;

void ReadSign(Cursor& in, DecimalText& d) {
  if (in.Peek() != L'+' && in.Peek() != L'-') return;
  if (in.Peek() == L'-') d.number += '-';
  in.Next();
}

// The digits, one period and the digits after it.
void ReadMantissa(Cursor& in, DecimalText& d) {
  bool seen_nonzero = false;
  for (; IsDigit(in.Peek()); in.Next()) {
    d.number += static_cast<char>(in.Peek());
    d.any_digit = true;
    if (in.Peek() != L'0') seen_nonzero = true;
    if (seen_nonzero) ++d.magnitude;
  }
  if (in.Peek() != L'.') return;
  d.number += '.';
  in.Next();
  for (; IsDigit(in.Peek()); in.Next()) {
    d.number += static_cast<char>(in.Peek());
    d.any_digit = true;
    if (!seen_nonzero) {
      if (in.Peek() != L'0') seen_nonzero = true;
      else --d.magnitude;
    }
  }
}

bool IsExponentMark(wchar_t c) { return c == L'E' || c == L'e' || c == L'D' || c == L'd'; }

// E or D, an optional sign and digits; a mark without digits adds nothing.
void ReadExponent(Cursor& in, DecimalText& d) {
  if (!IsExponentMark(in.Peek())) return;
  std::string exponent = "e";
  in.Next();
  bool negative = false;
  if (in.Peek() == L'+' || in.Peek() == L'-') {
    negative = in.Peek() == L'-';
    if (negative) exponent += '-';
    in.Next();
  }
  bool any_digit = false;
  long long value = 0;
  for (; IsDigit(in.Peek()); in.Next()) {
    exponent += static_cast<char>(in.Peek());
    any_digit = true;
    if (value < kExponentCap) value = value * 10 + (in.Peek() - L'0');
  }
  if (any_digit) d.number += exponent;
  d.exponent = negative ? -value : value;
}

double ValueOf(const DecimalText& d) {
  const char* first = d.number.data();
  const char* last = first + d.number.size();
  double value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    // Too small to represent is zero; too large is an overflow.
    if (d.magnitude + d.exponent > 0) throw RuntimeError::Overflow();
    return d.number[0] == '-' ? -0.0 : 0.0;
  }
  if (ec != std::errc() || ptr != last) return 0;
  if (std::isinf(value)) throw RuntimeError::Overflow();
  return value;
}

double Decimal(Cursor& in) {
  DecimalText d;
  ReadSign(in, d);
  ReadMantissa(in, d);
  if (!d.any_digit) return 0;
  ReadExponent(in, d);
  return ValueOf(d);
}

}  // namespace

double LeadingNumber(std::wstring_view text) {
  Cursor in(text);
  if (in.Peek() == L'&') {
    in.Next();
    wchar_t radix = in.Peek();
    if (radix == L'H' || radix == L'h') {
      in.Next();
      return RadixInteger(in, 16);
    }
    if (radix == L'O' || radix == L'o') {
      in.Next();
      return RadixInteger(in, 8);
    }
    return 0;
  }
  return Decimal(in);
}

}  // namespace convert
