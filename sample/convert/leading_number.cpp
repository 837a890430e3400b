#include "leading_number.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "runtime_error.h"

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

double Decimal(Cursor& in) {
  // The number is copied in the "C" form that from_chars reads, so the
  // locale's decimal separator never matters.
  std::string number;
  if (in.Peek() == L'+' || in.Peek() == L'-') {
    if (in.Peek() == L'-') number += '-';
    in.Next();
  }
  bool any_digit = false;
  bool seen_nonzero = false;
  // Decimal magnitude of the first significant digit, to tell an overflow
  // from an underflow when the value is out of range.
  long long magnitude = 0;
  for (; IsDigit(in.Peek()); in.Next()) {
    number += static_cast<char>(in.Peek());
    any_digit = true;
    if (in.Peek() != L'0') seen_nonzero = true;
    if (seen_nonzero) ++magnitude;
  }
  if (in.Peek() == L'.') {
    number += '.';
    in.Next();
    for (; IsDigit(in.Peek()); in.Next()) {
      number += static_cast<char>(in.Peek());
      any_digit = true;
      if (!seen_nonzero) {
        if (in.Peek() != L'0') seen_nonzero = true;
        else --magnitude;
      }
    }
  }
  if (!any_digit) return 0;
  long long exponent_value = 0;
  bool negative_exponent = false;
  wchar_t e = in.Peek();
  if (e == L'E' || e == L'e' || e == L'D' || e == L'd') {
    std::string exponent = "e";
    in.Next();
    if (in.Peek() == L'+' || in.Peek() == L'-') {
      negative_exponent = in.Peek() == L'-';
      if (negative_exponent) exponent += '-';
      in.Next();
    }
    bool exponent_digits = false;
    for (; IsDigit(in.Peek()); in.Next()) {
      exponent += static_cast<char>(in.Peek());
      exponent_digits = true;
      if (exponent_value < 1000000000) exponent_value = exponent_value * 10 + (in.Peek() - L'0');
    }
    if (exponent_digits) number += exponent;
    if (negative_exponent) exponent_value = -exponent_value;
  }

  const char* first = number.data();
  const char* last = first + number.size();
  double value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    // Too small to represent is zero; too large is an overflow.
    if (magnitude + exponent_value > 0) throw RuntimeError::Overflow();
    return number[0] == '-' ? -0.0 : 0.0;
  }
  if (ec != std::errc() || ptr != last) return 0;
  if (std::isinf(value)) throw RuntimeError::Overflow();
  return value;
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
