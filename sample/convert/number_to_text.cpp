#include "convert/number_to_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace convert {
namespace {

// Writes value with `digits` significant digits, switching to exponent form
// outside [1E-04, 1E+digits). A tie in the last digit rounds away from zero,
// as OLE's conversion does (589164.25 as a single is 589164.3), so the digits
// are taken from the exact decimal expansion of the value and rounded here;
// the layout is built here too so that it is the same on every C runtime
// (msvcrt writes three exponent digits where glibc writes two).
std::wstring FormatSignificant(double value, int digits) {
  if (std::isnan(value)) return L"NaN";
  if (std::isinf(value)) return value < 0 ? L"-Infinity" : L"Infinity";
  if (value == 0) return L"0";

  // 767 significant digits hold the exact expansion of any double.
  static thread_local char exact[1100];
  std::snprintf(exact, sizeof exact, "%.766e", value);
  const char* p = exact;
  bool negative = *p == '-';
  if (negative) ++p;
  const char* e = std::strchr(p, 'e');
  int exponent = std::atoi(e + 1);
  std::string all;  // every significant digit, without the period
  for (const char* q = p; q < e; ++q) {
    if (*q != '.') all += *q;
  }
  std::string mantissa = all.substr(0, static_cast<size_t>(digits));
  if (all[static_cast<size_t>(digits)] >= '5') {
    int i = digits - 1;
    for (; i >= 0 && mantissa[static_cast<size_t>(i)] == '9'; --i) mantissa[static_cast<size_t>(i)] = '0';
    if (i >= 0) {
      ++mantissa[static_cast<size_t>(i)];
    } else {
      mantissa.insert(mantissa.begin(), '1');
      mantissa.pop_back();
      ++exponent;
    }
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
