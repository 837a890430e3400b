// The synthetic pictures: moving, stamped, deterministic, padding clean,
// every legal size safe (the sanitizers watch the edges).
#include <gtest/gtest.h>

#include <functional>

#include "capture_error.h"
#include "pattern.h"

namespace {

struct Maker {
  const char* name;
  std::unique_ptr<morvane::Pattern> (*make)();
};
const Maker kMakers[] = {{"colour_bars", morvane::MakeColourBars},
                         {"checkerboard", morvane::MakeMovingCheckerboard}};

std::vector<std::uint8_t> Render(morvane::Pattern& p, const morvane::FrameFormat& f, std::int64_t n, double s) {
  // Guard bytes past the end catch overruns even without the sanitizers.
  std::vector<std::uint8_t> bits(f.ImageSize() + 16, 0xEE);
  p.Render(f, bits.data(), n, s);
  for (std::size_t i = f.ImageSize(); i < bits.size(); ++i) EXPECT_EQ(bits[i], 0xEE) << "overrun";
  bits.resize(f.ImageSize());
  return bits;
}

// Bytes that differ inside the rectangle [x0,x1) x [y0,y1), top-down coordinates.
int DiffIn(const morvane::FrameFormat& f, const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
           int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y) {
    const std::size_t row = static_cast<std::size_t>(f.height - 1 - y) * f.Stride();
    for (int x = x0 * 3; x < x1 * 3; ++x) n += a[row + x] != b[row + x];
  }
  return n;
}

class PatternTest : public ::testing::TestWithParam<Maker> {};

TEST_P(PatternTest, SameFrameSamePicture_OtherFramesDiffer) {
  const morvane::FrameFormat f{320, 240, 24};
  auto p = GetParam().make();
  const auto a = Render(*p, f, 41, 1.37);
  EXPECT_EQ(a, Render(*p, f, 41, 1.37));
  EXPECT_EQ(a, Render(*GetParam().make(), f, 41, 1.37)) << "a fresh pattern draws the same";
  EXPECT_NE(a, Render(*p, f, 42, 1.37)) << "frame number must show";
  EXPECT_NE(a, Render(*p, f, 41, 1.38)) << "time must show";
}

TEST_P(PatternTest, StampAreaChangesWithTheCounterAndTime) {
  const morvane::FrameFormat f{640, 480, 24};
  auto p = GetParam().make();
  // Where the stamp goes: the bars draw it just below the bars, the board at the bottom.
  const bool bars = std::string(GetParam().name) == "colour_bars";
  const int top = bars ? f.height * 2 / 3 : f.height - 44;
  struct Step {
    std::int64_t frame;
    double seconds;
    std::int64_t frame2;
    double seconds2;
  };
  const Step steps[] = {{0, 0.0, 1, 0.0}, {9, 0.0, 10, 0.0}, {5, 0.0, 5, 0.01}, {5, 59.99, 5, 60.0},
                        {5, 3599.0, 5, 3600.0}};
  for (const Step& s : steps) {
    const auto a = Render(*p, f, s.frame, s.seconds);
    const auto b = Render(*p, f, s.frame2, s.seconds2);
    EXPECT_GT(DiffIn(f, a, b, 0, top, f.width, top + 44), 0) << s.frame << " " << s.seconds;
  }
}

TEST_P(PatternTest, PaddingIsZeroAndEveryLegalSizeIsSafe) {
  auto p = GetParam().make();
  const int sizes[][2] = {{16, 16}, {17, 16}, {18, 19}, {19, 23}, {161, 121}, {320, 240}, {4096, 16}, {16, 4096}};
  for (const auto& s : sizes) {
    const morvane::FrameFormat f{s[0], s[1], 24};
    SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]));
    for (std::int64_t n : {std::int64_t{0}, std::int64_t{7}, std::int64_t{123456789012}, std::int64_t{-3}}) {
      const auto bits = Render(*p, f, n, n * 0.04);
      const std::size_t used = static_cast<std::size_t>(f.width) * 3;
      for (int y = 0; y < f.height; ++y) {
        for (std::size_t x = used; x < f.Stride(); ++x) ASSERT_EQ(bits[y * f.Stride() + x], 0) << "row " << y;
      }
    }
  }
}

TEST_P(PatternTest, InvalidFormatIsRefused) {
  auto p = GetParam().make();
  std::vector<std::uint8_t> bits(64 * 64 * 4);
  const morvane::FrameFormat bad[] = {{8, 8, 24}, {64, 64, 32}, {0, 64, 24}, {64, -64, 24}};
  for (const auto& f : bad) EXPECT_THROW(p->Render(f, bits.data(), 0, 0), morvane::CaptureError);
  EXPECT_THROW(p->Render({64, 64, 24}, nullptr, 0, 0), morvane::CaptureError);
}

INSTANTIATE_TEST_SUITE_P(Patterns, PatternTest, ::testing::ValuesIn(kMakers),
                         [](const ::testing::TestParamInfo<Maker>& info) { return std::string(info.param.name); });

TEST(Patterns, AreEasyToTellApart) {
  const morvane::FrameFormat f{320, 240, 24};
  const auto a = Render(*morvane::MakeColourBars(), f, 3, 0.1);
  const auto b = Render(*morvane::MakeMovingCheckerboard(), f, 3, 0.1);
  EXPECT_GT(DiffIn(f, a, b, 0, 0, f.width, f.height), f.width * f.height);  // most of the picture
}

TEST(Patterns, ColourBarsShowTheSevenBarsInOrder) {
  const morvane::FrameFormat f{700, 300, 24};
  const auto bits = Render(*morvane::MakeColourBars(), f, 0, 0);
  // Sample the middle of each bar on the top row (the last row of a bottom-up DIB).
  const std::uint8_t expected[7][3] = {{191, 191, 191}, {0, 191, 191}, {191, 191, 0}, {0, 191, 0},
                                       {191, 0, 191},   {0, 0, 191},   {191, 0, 0}};
  const std::size_t top = static_cast<std::size_t>(f.height - 1) * f.Stride();
  for (int i = 0; i < 7; ++i) {
    const std::size_t at = top + static_cast<std::size_t>(i * 100 + 50) * 3;
    EXPECT_EQ(bits[at], expected[i][0]) << "bar " << i;
    EXPECT_EQ(bits[at + 1], expected[i][1]) << "bar " << i;
    EXPECT_EQ(bits[at + 2], expected[i][2]) << "bar " << i;
  }
}

}  // namespace
