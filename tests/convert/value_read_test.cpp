#include "convert/value_read.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "convert/runtime_error.h"

namespace convert {
namespace {

struct RoundCase {
  double value;
  int expected;
};

class ToInteger16Test : public testing::TestWithParam<RoundCase> {};

TEST_P(ToInteger16Test, RoundsHalfToEven) {
  EXPECT_EQ(ToInteger16(GetParam().value), GetParam().expected) << "value " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Table, ToInteger16Test, testing::Values(
    RoundCase{14.5, 14}, RoundCase{15.5, 16}, RoundCase{-14.5, -14}, RoundCase{-15.5, -16},
    RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.4999, 2}, RoundCase{-0.5, 0},
    RoundCase{32767.4, 32767}, RoundCase{-32768.5, -32768}, RoundCase{-32767.5, -32768}));

TEST(ToInteger16, OutOfRangeIsOverflow) {
  for (double v : {32767.5, 32768.0, -32768.6, -32769.0, 1e300, std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN()}) {
    try {
      ToInteger16(v);
      ADD_FAILURE() << "no overflow for " << v;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kOverflow) << v;
    }
  }
}

TEST(ToSingle, NarrowsToNearestAndRefusesBeyondRange) {
  EXPECT_EQ(ToSingle(4800.5), 4800.5f);
  EXPECT_EQ(ToSingle(0.1), 0.1f);
  EXPECT_EQ(ToSingle(3.4028234663852886e38), std::numeric_limits<float>::max());
  EXPECT_THROW(ToSingle(1e39), RuntimeError);
  EXPECT_THROW(ToSingle(-1e39), RuntimeError);
}

}  // namespace
}  // namespace convert
