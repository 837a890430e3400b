// Our conversions against the platform's own: oleaut32's VarBstrFromR8,
// VarBstrFromR4 (LCID 0x0409) and VarI2FromR8 over many thousands of random
// and boundary values must give the same text and the same integer.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "convert/number_to_text.h"
#include "convert/runtime_error.h"
#include "convert/value_read.h"

namespace convert {
namespace {

constexpr LCID kEnglish = 0x0409;

HRESULT OleBstr(double v, BSTR* out) { return VarBstrFromR8(v, kEnglish, 0, out); }
HRESULT OleBstr(float v, BSTR* out) { return VarBstrFromR4(v, kEnglish, 0, out); }

template <typename Number>
std::wstring OleText(Number v) {
  BSTR out = nullptr;
  HRESULT hr = OleBstr(v, &out);
  std::wstring s = SUCCEEDED(hr) && out ? std::wstring(out, SysStringLen(out)) : L"<failed>";
  SysFreeString(out);
  return s;
}

std::vector<double> DoubleSamples() {
  std::vector<double> v = {0, 1, -1, 0.5, 14.5, 15.5, 1e15, 1.5e15, 999999999999999.0, 1e14, 0.0001,
                           0.00001, 0.00012345, 1e-5, 123456789012345.0, 1234567890123456.0, 0.1 + 0.2,
                           1.0 / 3, 2.0 / 3, 32767.5, -32768.5, 4800.5, 1e300, -1e-300, 5e-324,
                           std::numeric_limits<double>::max(), std::numeric_limits<double>::min()};
  for (int e = -30; e <= 30; ++e) {
    double p = std::pow(10.0, e);
    for (double m : {1.0, 1.5, 9.99999999999999, 9.999999999999999, 1.0000000000000002}) {
      v.push_back(m * p);
      v.push_back(-m * p);
      v.push_back(std::nextafter(m * p, 0.0));
      v.push_back(std::nextafter(m * p, 1e308));
    }
  }
  std::mt19937_64 rng(20261208);
  std::uniform_int_distribution<int> exponent(-40, 40);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 6000; ++i) v.push_back(mantissa(rng) * std::pow(10.0, exponent(rng)) * (i % 2 ? -1 : 1));
  for (int i = 0; i < 3000; ++i) {
    double d;
    std::uint64_t b = bits(rng);
    std::memcpy(&d, &b, sizeof d);
    if (std::isfinite(d)) v.push_back(d);
  }
  // Short decimals, as typed into fields: the common case.
  for (int i = -2000; i <= 2000; ++i) v.push_back(i / 8.0), v.push_back(i / 10.0);
  return v;
}

// How many of the values our text differs for; the first twenty are shown.
template <typename Number>
int TextMismatches(const std::vector<Number>& values) {
  int mismatches = 0;
  for (Number v : values) {
    std::wstring ours = NumberToText(v), theirs = OleText(v);
    if (ours != theirs && ++mismatches <= 20) {
      ADD_FAILURE() << "value " << testing::PrintToString(v) << " ours " << testing::PrintToString(ours)
                    << " oleaut32 " << testing::PrintToString(theirs);
    }
  }
  return mismatches;
}

TEST(Oleaut32CrossCheck, DoubleTextAgrees) { EXPECT_EQ(TextMismatches(DoubleSamples()), 0); }

TEST(Oleaut32CrossCheck, SingleTextAgrees) {
  std::vector<float> samples;
  for (double d : DoubleSamples()) {
    if (std::fabs(d) <= 3e38) samples.push_back(static_cast<float>(d));
  }
  EXPECT_EQ(TextMismatches(samples), 0);
}

TEST(Oleaut32CrossCheck, Integer16Agrees) {
  std::vector<double> samples = DoubleSamples();
  for (int i = -33000; i <= 33000; i += 7) samples.push_back(i + 0.5);
  for (double d = -32770; d <= -32766; d += 0.25) samples.push_back(d);
  for (double d = 32765; d <= 32769; d += 0.25) samples.push_back(d);
  int mismatches = 0;
  for (double v : samples) {
    SHORT theirs = 0;
    HRESULT hr = VarI2FromR8(v, &theirs);
    bool our_overflow = false;
    std::int16_t ours = 0;
    try {
      ours = ToInteger16(v);
    } catch (const RuntimeError& e) {
      our_overflow = e.number() == kOverflow;
    }
    bool agree = hr == DISP_E_OVERFLOW ? our_overflow : (SUCCEEDED(hr) && !our_overflow && ours == theirs);
    if (!agree && ++mismatches <= 20) {
      ADD_FAILURE() << "value " << testing::PrintToString(v) << " ours " << (our_overflow ? "overflow" : std::to_string(ours))
                    << " oleaut32 hr 0x" << std::hex << hr << std::dec << " value " << theirs;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace convert
