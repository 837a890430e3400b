#include "convert/leading_number.h"

#include <gtest/gtest.h>

#include <cmath>

#include "convert/runtime_error.h"

namespace convert {
namespace {

struct Case {
  const wchar_t* text;
  double expected;
};

class LeadingNumberTest : public testing::TestWithParam<Case> {};

TEST_P(LeadingNumberTest, ReadsTheNumberThatBeginsTheText) {
  const Case& c = GetParam();
  EXPECT_EQ(LeadingNumber(c.text), c.expected) << "text: \"" << testing::PrintToString(std::wstring(c.text)) << "\"";
}

INSTANTIATE_TEST_SUITE_P(Table, LeadingNumberTest, testing::Values(
    // plain numbers and what ends them
    Case{L"15", 15}, Case{L"7.5", 7.5}, Case{L" 7.5", 7.5}, Case{L"320abc", 320},
    Case{L"-10", -10}, Case{L"+4", 4}, Case{L"1.2.3", 1.2}, Case{L"1,000", 1},
    Case{L".5", 0.5}, Case{L"5.", 5}, Case{L"0015", 15}, Case{L"4800.5", 4800.5},
    // blanks, tabs and line feeds wherever they stand; carriage return is not one
    Case{L"1 2 3", 123}, Case{L"\t-\n1 . 5", -1.5}, Case{L"  1 E 3", 1000}, Case{L"1\r2", 1},
    // exponents with E or D, either case
    Case{L"1.5E+15", 1.5e15}, Case{L"2D3", 2000}, Case{L"2d-3", 0.002}, Case{L"1e", 1},
    Case{L"1E+", 1}, Case{L"3E2x", 300}, Case{L"1E-400", 0}, Case{L"0E99999", 0},
    // no number at the start
    Case{L"", 0}, Case{L"abc", 0}, Case{L"-", 0}, Case{L".", 0}, Case{L"E5", 0},
    Case{L"１２", 0}, Case{L"$5", 0},
    // radix prefixes
    Case{L"&H10", 16}, Case{L"&hFF", 255}, Case{L"&HFFFF", 65535}, Case{L"&O17", 15},
    Case{L"&o78", 7}, Case{L"& H 1 0", 16}, Case{L"&H", 0}, Case{L"&HG", 0}, Case{L"&17", 0},
    Case{L"-&H10", 0}));

TEST(LeadingNumber, NumberBeyondDoubleIsAnOverflow) {
  for (const wchar_t* text : {L"1E400", L"-1E309", L"1D999999999999999999999", L"179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497792",
                             L"&H" L"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"}) {
    try {
      LeadingNumber(text);
      ADD_FAILURE() << "no overflow for " << testing::PrintToString(std::wstring(text));
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kOverflow);
    }
  }
}

TEST(LeadingNumber, TinyMagnitudesWithPositiveExponentAreZeroNotOverflow) {
  std::wstring tiny = L"0." + std::wstring(400, L'0') + L"1E5";
  EXPECT_EQ(LeadingNumber(tiny), 0);
}

}  // namespace
}  // namespace convert
