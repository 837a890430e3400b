// The synthetic pictures: moving, stamped, deterministic, padding clean,
// every legal size safe (the sanitizers watch the edges).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "capture_error.h"
#include "pattern.h"

namespace {

struct Maker {
  const char* name;
  std::unique_ptr<morvane::Pattern> (*make)();
};
const Maker kMakers[] = {{"colour_bars", morvane::MakeColourBars},
                         {"checkerboard", morvane::MakeMovingCheckerboard}};

// An overrun is reported at the caller's line (the defaults are evaluated
// where Render is called).
std::vector<std::uint8_t> Render(morvane::Pattern& p, const morvane::FrameFormat& f, std::int64_t n, std::int64_t us,
                                 const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
  // Guard bytes past the end catch overruns even without the sanitizers.
  std::vector<std::uint8_t> bits(f.ImageSize() + 16, 0xEE);
  p.Render(f, bits.data(), n, us);
  for (std::size_t i = f.ImageSize(); i < bits.size(); ++i) {
    if (bits[i] != 0xEE) ADD_FAILURE_AT(file, line) << "overrun at byte " << i << " of " << f.ImageSize();
  }
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
  const auto a = Render(*p, f, 41, 1370000);
  EXPECT_EQ(a, Render(*p, f, 41, 1370000));
  EXPECT_EQ(a, Render(*GetParam().make(), f, 41, 1370000)) << "a fresh pattern draws the same";
  EXPECT_NE(a, Render(*p, f, 42, 1370000)) << "frame number must show";
  EXPECT_NE(a, Render(*p, f, 41, 1380000)) << "time must show";
}

TEST_P(PatternTest, StampAreaChangesWithTheCounterAndTime) {
  const morvane::FrameFormat f{640, 480, 24};
  auto p = GetParam().make();
  // Where the stamp goes: the bars draw it just below the bars, the board at the bottom.
  const bool bars = std::string(GetParam().name) == "colour_bars";
  const int top = bars ? f.height * 2 / 3 : f.height - 44;
  struct Step {
    std::int64_t frame;
    std::int64_t us;
    std::int64_t frame2;
    std::int64_t us2;
  };
  const Step steps[] = {{0, 0, 1, 0}, {9, 0, 10, 0}, {5, 0, 5, 10000}, {5, 59990000, 5, 60000000},
                        {5, 3599000000, 5, 3600000000}};
  for (const Step& s : steps) {
    const auto a = Render(*p, f, s.frame, s.us);
    const auto b = Render(*p, f, s.frame2, s.us2);
    EXPECT_GT(DiffIn(f, a, b, 0, top, f.width, top + 44), 0) << s.frame << " " << s.us;
  }
}

TEST_P(PatternTest, PaddingIsZeroAndEveryLegalSizeIsSafe) {
  auto p = GetParam().make();
  const int sizes[][2] = {{16, 16}, {17, 16}, {18, 19}, {19, 23}, {161, 121}, {320, 240}, {4096, 16}, {16, 4096}};
  for (const auto& s : sizes) {
    const morvane::FrameFormat f{s[0], s[1], 24};
    SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]));
    for (std::int64_t n : {std::int64_t{0}, std::int64_t{7}, std::int64_t{123456789012}, std::int64_t{-3}}) {
      const auto bits = Render(*p, f, n, n * 40000);
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

// The stamp's time is cut to hundredths from whole microseconds, so values a
// hair below a hundredth never show the next one, and the wrap and the
// counter's width hold at their edges.
TEST(Patterns, StampTextOnItsEdges) {
  struct Row {
    std::int64_t frame;
    std::int64_t us;
    const char* text;
  };
  const Row rows[] = {
      {0, 0, "00:00:00.00 #00000000"},
      {1, 9999, "00:00:00.00 #00000001"},
      {2, 10000, "00:00:00.01 #00000002"},
      {41, 1366666, "00:00:01.36 #00000041"},  // frame 41 at 30 fps
      {41, 1370000, "00:00:01.37 #00000041"},
      {29, 290000, "00:00:00.29 #00000029"},  // 0.29 * 100 is 28.999... as doubles
      {57, 570000, "00:00:00.57 #00000057"},
      {1, 59999999, "00:00:59.99 #00000001"},
      {1, 60000000, "00:01:00.00 #00000001"},
      {1, 3599990000, "00:59:59.99 #00000001"},
      {1, 359999990000, "99:59:59.99 #00000001"},
      {1, 360000000000, "00:00:00.00 #00000001"},  // wraps after 100 hours
      {99999999, 0, "00:00:00.00 #99999999"},
      {123456789, 0, "00:00:00.00 #23456789"},
      {-5, -1, "00:00:00.00 #-0000005"},
      {1, INT64_MAX, "88:00:54.77 #00000001"},
  };
  for (const Row& row : rows) {
    char text[morvane::kStampLength];
    morvane::FormatStamp(row.frame, row.us, text);
    EXPECT_EQ(std::string(row.text), std::string(text, sizeof text)) << row.frame << " " << row.us;
  }
}

TEST(Patterns, AreEasyToTellApart) {
  const morvane::FrameFormat f{320, 240, 24};
  const auto a = Render(*morvane::MakeColourBars(), f, 3, 100000);
  const auto b = Render(*morvane::MakeMovingCheckerboard(), f, 3, 100000);
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
