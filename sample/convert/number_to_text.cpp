#include "number_to_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace convert {
namespace {

// Writes value with `digits` significant digits, switching to exponent form
// outside [1E-04, 1E+digits). The digits come from printf's correctly rounded
// %e; the layout is built here so that it is the same on every C runtime
// (msvcrt writes three exponent digits where glibc writes two).
std::wstring FormatSignificant(double value, int digits) {
  if (std::isnan(value)) return L"NaN";
  if (std::isinf(value)) return value < 0 ? L"-Infinity" : L"Infinity";
  if (value == 0) return L"0";

  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
  // buf: [-]d.ddddde[+-]xx
  std::string text(buf);
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t e = text.find('e');
  int exponent = std::atoi(text.c_str() + e + 1);
  std::string mantissa;
  for (size_t i = 0; i < e; ++i) {
    if (text[i] != '.') mantissa += text[i];
  }
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= digits || exponent < -4) {
    out += mantissa[0];
    if (mantissa.size() > 1) {
      out += '.';
      out.append(mantissa, 1, std::string::npos);
    }
    char exp_text[16];
    std::snprintf(exp_text, sizeof exp_text, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out += exp_text;
  } else if (exponent < 0) {
    out += "0.";
    out.append(static_cast<size_t>(-exponent - 1), '0');
    out += mantissa;
  } else {
    size_t int_digits = static_cast<size_t>(exponent) + 1;
    if (mantissa.size() <= int_digits) {
      out += mantissa;
      out.append(int_digits - mantissa.size(), '0');
    } else {
      out.append(mantissa, 0, int_digits);
      out += '.';
      out.append(mantissa, int_digits, std::string::npos);
    }
  }
  return std::wstring(out.begin(), out.end());
}

}  // namespace

std::wstring NumberToText(double value) { return FormatSignificant(value, 15); }

std::wstring NumberToText(float value) { return FormatSignificant(static_cast<double>(value), 7); }

std::wstring NumberToText(std::int64_t value) {
  std::string s = std::to_string(value);
  return std::wstring(s.begin(), s.end());
}

}  // namespace convert
