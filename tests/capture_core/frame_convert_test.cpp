// Device frames into the control's layout: exact pixels of the studio-range
// YUV formula, row order, padding, and buffers that disagree with their type.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "frame_convert.h"

namespace {

using morvane::Bgr;
using morvane::FrameFormat;
using morvane::PixelLayout;
using morvane::SourceFrame;

struct YuvCase {
  const char* name;
  std::uint8_t y, u, v;
  std::uint8_t r, g, b;
};
// Worked out by hand from the 8.8 fixed-point formula; the colours are the
// studio-range codes of black, white, grey and the primaries.
const YuvCase kYuvCases[] = {
    {"black", 16, 128, 128, 0, 0, 0},
    {"white", 235, 128, 128, 255, 255, 255},
    {"grey", 126, 128, 128, 128, 128, 128},
    {"red", 81, 90, 240, 255, 0, 0},
    {"green", 145, 54, 34, 0, 255, 1},
    {"blue", 41, 240, 110, 0, 0, 255},
    {"below black clamps", 0, 128, 128, 0, 0, 0},
    {"above white clamps", 255, 128, 128, 255, 255, 255},
};

TEST(FrameConvert, StudioRangePixelsExactly) {
  for (const YuvCase& c : kYuvCases) {
    const Bgr got = morvane::YuvToBgr(c.y, c.u, c.v);
    EXPECT_EQ(got.r, c.r) << c.name;
    EXPECT_EQ(got.g, c.g) << c.name;
    EXPECT_EQ(got.b, c.b) << c.name;
  }
}

// The fixed-point arithmetic stays within one step of the formula in
// real numbers everywhere.
TEST(FrameConvert, WithinOneOfTheReferenceFormula) {
  auto reference = [](double value) { return std::lround(std::fmin(255.0, std::fmax(0.0, value))); };
  for (int y = 0; y < 256; y += 3) {
    for (int u = 0; u < 256; u += 5) {
      for (int v = 0; v < 256; v += 7) {
        const double luma = 1.164 * (y - 16);
        const Bgr got = morvane::YuvToBgr(static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(u),
                                          static_cast<std::uint8_t>(v));
        ASSERT_LE(std::labs(got.r - reference(luma + 1.596 * (v - 128))), 1) << y << "," << u << "," << v;
        ASSERT_LE(std::labs(got.g - reference(luma - 0.391 * (u - 128) - 0.813 * (v - 128))), 1)
            << y << "," << u << "," << v;
        ASSERT_LE(std::labs(got.b - reference(luma + 2.018 * (u - 128))), 1) << y << "," << u << "," << v;
      }
    }
  }
}

// A source frame whose every pixel says where it is: in YUV the luma is
// 16 + the pixel's column (mod 200) and the chroma pair names the row; in
// RGB the blue byte is the column and the green byte the picture row.
std::vector<std::uint8_t> MakeSource(const SourceFrame& source) {
  std::vector<std::uint8_t> data(morvane::SourceImageSize(source), 0xAB);
  const std::size_t stride = morvane::SourceStride(source);
  for (int row = 0; row < source.height; ++row) {
    const int stored_row = source.top_down ? row : source.height - 1 - row;
    std::uint8_t* p = data.data() + static_cast<std::size_t>(stored_row) * stride;
    for (int x = 0; x < source.width; ++x) {
      switch (source.layout) {
        case PixelLayout::kYuy2:
          p[x * 2] = static_cast<std::uint8_t>(16 + x % 200);
          p[x * 2 + 1] = static_cast<std::uint8_t>(x % 2 == 0 ? 128 : 128 + row);
          break;
        case PixelLayout::kUyvy:
          p[x * 2 + 1] = static_cast<std::uint8_t>(16 + x % 200);
          p[x * 2] = static_cast<std::uint8_t>(x % 2 == 0 ? 128 : 128 + row);
          break;
        case PixelLayout::kRgb24:
        case PixelLayout::kRgb32: {
          const int bytes = source.layout == PixelLayout::kRgb24 ? 3 : 4;
          p[x * bytes] = static_cast<std::uint8_t>(x);
          p[x * bytes + 1] = static_cast<std::uint8_t>(row);
          p[x * bytes + 2] = 7;
          break;
        }
      }
    }
  }
  return data;
}

// What the pixel at (x, picture row) must become.
Bgr Expected(PixelLayout layout, int x, int row) {
  if (layout == PixelLayout::kRgb24 || layout == PixelLayout::kRgb32) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(row), 7};
  }
  return morvane::YuvToBgr(static_cast<std::uint8_t>(16 + x % 200), 128, static_cast<std::uint8_t>(128 + row));
}

struct LayoutCase {
  const char* name;
  PixelLayout layout;
  bool top_down;
  int width, height;
};
const LayoutCase kLayoutCases[] = {
    {"yuy2", PixelLayout::kYuy2, true, 18, 16},     {"uyvy", PixelLayout::kUyvy, true, 20, 17},
    {"rgb24 bottom-up", PixelLayout::kRgb24, false, 17, 16},
    {"rgb24 top-down", PixelLayout::kRgb24, true, 19, 18},
    {"rgb32 bottom-up", PixelLayout::kRgb32, false, 16, 16},
    {"rgb32 top-down", PixelLayout::kRgb32, true, 21, 16},
};

TEST(FrameConvert, EveryLayoutLandsBottomUpWithCleanPadding) {
  for (const LayoutCase& c : kLayoutCases) {
    const SourceFrame source{c.layout, c.width, c.height, c.top_down};
    FrameFormat target;
    target.width = c.width;
    target.height = c.height;
    const std::vector<std::uint8_t> data = MakeSource(source);
    std::vector<std::uint8_t> out(target.ImageSize() + 8, 0xEE);
    ASSERT_TRUE(morvane::ConvertFrame(source, data.data(), data.size(), target, out.data())) << c.name;
    for (std::size_t i = target.ImageSize(); i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << c.name << ": overrun";
    for (int row = 0; row < c.height; ++row) {
      const std::uint8_t* line = out.data() + static_cast<std::size_t>(c.height - 1 - row) * target.Stride();
      for (int x = 0; x < c.width; ++x) {
        const Bgr want = Expected(c.layout, x, row);
        ASSERT_EQ(line[x * 3], want.b) << c.name << " at " << x << "," << row;
        ASSERT_EQ(line[x * 3 + 1], want.g) << c.name << " at " << x << "," << row;
        ASSERT_EQ(line[x * 3 + 2], want.r) << c.name << " at " << x << "," << row;
      }
      for (std::size_t pad = static_cast<std::size_t>(c.width) * 3; pad < target.Stride(); ++pad) {
        ASSERT_EQ(line[pad], 0) << c.name << ": padding in row " << row;
      }
    }
  }
}

struct RefusalCase {
  const char* name;
  SourceFrame source;
  int target_width, target_height;
  long size_change;  // against the source's image size
  bool converts;
};
const RefusalCase kRefusalCases[] = {
    {"exact size", {PixelLayout::kYuy2, 320, 240, true}, 320, 240, 0, true},
    {"longer buffer read up to the size", {PixelLayout::kYuy2, 320, 240, true}, 320, 240, 100, true},
    {"one byte short", {PixelLayout::kYuy2, 320, 240, true}, 320, 240, -1, false},
    {"rgb24 one row short", {PixelLayout::kRgb24, 321, 240, false}, 321, 240, -964, false},
    {"odd width of packed YUV", {PixelLayout::kUyvy, 321, 240, true}, 321, 240, 0, false},
    {"size differs from the target", {PixelLayout::kRgb32, 320, 240, false}, 640, 480, 0, false},
    {"too small a picture", {PixelLayout::kRgb24, 8, 8, false}, 8, 8, 0, false},
    {"unknown layout", {static_cast<PixelLayout>(9), 320, 240, false}, 320, 240, 0, false},
};

TEST(FrameConvert, BuffersThatDisagreeWithTheirTypeAreRefusedUntouched) {
  for (const RefusalCase& c : kRefusalCases) {
    const std::size_t needed = morvane::SourceImageSize(c.source);
    const std::vector<std::uint8_t> data(needed + 128, 0x80);
    FrameFormat target;
    target.width = c.target_width;
    target.height = c.target_height;
    std::vector<std::uint8_t> out(target.ImageSize(), 0xEE);
    const std::size_t size = static_cast<std::size_t>(static_cast<long>(needed) + c.size_change);
    EXPECT_EQ(morvane::ConvertFrame(c.source, data.data(), size, target, out.data()), c.converts) << c.name;
    if (!c.converts) {
      for (std::uint8_t byte : out) ASSERT_EQ(byte, 0xEE) << c.name;
    }
  }
}

}  // namespace

namespace {

// A camera of another size than asked for fills the picture: each target
// pixel is the source pixel under it, and nothing is written past the end.
TEST(FrameConvert, ScaleTakesTheNearestPixel) {
  struct Case {
    int from_w, from_h, to_w, to_h;
  };
  const Case cases[] = {{32, 16, 17, 16}, {17, 19, 64, 40}, {640, 480, 320, 240}};
  for (const Case& c : cases) {
    FrameFormat from;
    from.width = c.from_w;
    from.height = c.from_h;
    FrameFormat to;
    to.width = c.to_w;
    to.height = c.to_h;
    std::vector<std::uint8_t> in(from.ImageSize());
    for (int row = 0; row < from.height; ++row) {
      for (int x = 0; x < from.width; ++x) {
        std::uint8_t* p = in.data() + static_cast<std::size_t>(row) * from.Stride() + x * 3;
        p[0] = static_cast<std::uint8_t>(x);
        p[1] = static_cast<std::uint8_t>(row);
        p[2] = 1;
      }
    }
    std::vector<std::uint8_t> out(to.ImageSize() + 4, 0xEE);
    morvane::ScaleFrame(from, in.data(), to, out.data());
    for (std::size_t i = to.ImageSize(); i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE);
    for (int row = 0; row < to.height; ++row) {
      for (int x = 0; x < to.width; ++x) {
        const std::uint8_t* p = out.data() + static_cast<std::size_t>(row) * to.Stride() + x * 3;
        ASSERT_EQ(p[0], static_cast<std::uint8_t>(x * from.width / to.width)) << x << "," << row;
        ASSERT_EQ(p[1], static_cast<std::uint8_t>(row * from.height / to.height)) << x << "," << row;
        ASSERT_EQ(p[2], 1);
      }
    }
  }
}

}  // namespace
