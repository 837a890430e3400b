#include "convert/number_to_text.h"

#include <gtest/gtest.h>

namespace convert {
namespace {

struct DoubleCase {
  double value;
  const wchar_t* text;
};

class DoubleToTextTest : public testing::TestWithParam<DoubleCase> {};

TEST_P(DoubleToTextTest, Writes) {
  EXPECT_EQ(NumberToText(GetParam().value), GetParam().text) << "value " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Table, DoubleToTextTest, testing::Values(
    DoubleCase{0, L"0"}, DoubleCase{-0.0, L"0"}, DoubleCase{15, L"15"}, DoubleCase{-8, L"-8"},
    DoubleCase{7.5, L"7.5"}, DoubleCase{-0.25, L"-0.25"}, DoubleCase{4800.5, L"4800.5"},
    DoubleCase{1.5e15, L"1.5E+15"}, DoubleCase{1e15, L"1E+15"}, DoubleCase{999999999999999, L"999999999999999"},
    DoubleCase{123456789012345.6, L"123456789012346"}, DoubleCase{0.1 + 0.2, L"0.3"},
    DoubleCase{1.0 / 3, L"0.333333333333333"}, DoubleCase{0.0001, L"0.0001"}, DoubleCase{0.00001, L"1E-05"},
    DoubleCase{1.25e-7, L"1.25E-07"}, DoubleCase{-2.5e100, L"-2.5E+100"}, DoubleCase{1e308, L"1E+308"},
    DoubleCase{5e-324, L"4.94065645841247E-324"}));

struct SingleCase {
  float value;
  const wchar_t* text;
};

class SingleToTextTest : public testing::TestWithParam<SingleCase> {};

TEST_P(SingleToTextTest, Writes) {
  EXPECT_EQ(NumberToText(GetParam().value), GetParam().text) << "value " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Table, SingleToTextTest, testing::Values(
    SingleCase{4800.f, L"4800"}, SingleCase{3600.f, L"3600"}, SingleCase{4800.5f, L"4800.5"},
    SingleCase{0.1f, L"0.1"}, SingleCase{1e7f, L"1E+07"}, SingleCase{9999999.f, L"9999999"},
    SingleCase{12345678.f, L"1.234568E+07"}, SingleCase{-1.5f, L"-1.5"}, SingleCase{1.0f / 3, L"0.3333333"}));

TEST(IntegerToText, WritesDigitsWithoutBlank) {
  EXPECT_EQ(NumberToText(std::int16_t{-32768}), L"-32768");
  EXPECT_EQ(NumberToText(std::int32_t{120}), L"120");
  EXPECT_EQ(NumberToText(std::int64_t{0}), L"0");
}

}  // namespace
}  // namespace convert
