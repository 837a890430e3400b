#include "pattern.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "capture_error.h"

namespace morvane {
namespace {

struct Bgr {
  std::uint8_t b, g, r;
};

// 75% bars, left to right, as test generators draw them.
constexpr Bgr kBars[] = {
    {191, 191, 191},  // white
    {0, 191, 191},    // yellow
    {191, 191, 0},    // cyan
    {0, 191, 0},      // green
    {191, 0, 191},    // magenta
    {0, 0, 191},      // red
    {191, 0, 0},      // blue
};
constexpr Bgr kBand = {32, 32, 32};
constexpr Bgr kWhite = {255, 255, 255};
constexpr Bgr kBlack = {0, 0, 0};
constexpr Bgr kCheckA = {112, 48, 16};   // dark blue
constexpr Bgr kCheckB = {32, 160, 240};  // orange

// A 5x7 font for the counter: one byte per row, bit 4 is the leftmost pixel.
struct Glyph {
  char ch;
  std::uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
};
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kCellWidth = kGlyphWidth + 1;
constexpr int kCellHeight = kGlyphHeight + 1;
// "HH:MM:SS.hh #nnnnnnnn"
constexpr int kTextLength = kStampLength;

const Glyph* FindGlyph(char ch) {
  for (const Glyph& g : kFont) {
    if (g.ch == ch) return &g;
  }
  return nullptr;
}

// The picture seen top-down over a bottom-up DIB, with clipping, so that the
// drawing code can think in screen coordinates.
class Canvas {
 public:
  Canvas(const FrameFormat& f, std::uint8_t* bits) : f_(f), bits_(bits), stride_(f.Stride()) {}

  int width() const { return f_.width; }
  int height() const { return f_.height; }
  std::uint8_t* Row(int y) const { return bits_ + static_cast<std::size_t>(f_.height - 1 - y) * stride_; }

  void FillRect(int x0, int y0, int x1, int y1, Bgr c) const {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, f_.width);
    y1 = std::min(y1, f_.height);
    if (x0 >= x1 || y0 >= y1) return;
    FillSpan(Row(y0), x0, x1, c);
    const std::size_t bytes = static_cast<std::size_t>(x1 - x0) * 3;
    for (int y = y0 + 1; y < y1; ++y) std::memcpy(Row(y) + x0 * 3, Row(y0) + x0 * 3, bytes);
  }

  // Copies row `from` over rows [y0, y1), padding included.
  void RepeatRow(int from, int y0, int y1) const {
    for (int y = y0; y < y1; ++y) {
      if (y != from) std::memcpy(Row(y), Row(from), stride_);
    }
  }

  static void FillSpan(std::uint8_t* row, int x0, int x1, Bgr c) {
    std::uint8_t* p = row + static_cast<std::size_t>(x0) * 3;
    for (int x = x0; x < x1; ++x) {
      *p++ = c.b;
      *p++ = c.g;
      *p++ = c.r;
    }
  }

  void ZeroPadding(int y) const {
    const std::size_t used = static_cast<std::size_t>(f_.width) * 3;
    std::memset(Row(y) + used, 0, stride_ - used);
  }

 private:
  const FrameFormat& f_;
  std::uint8_t* bits_;
  std::size_t stride_;
};

}  // namespace

void FormatStamp(std::int64_t frame_number, std::int64_t microseconds, char (&out)[kStampLength]) {
  // Hundredths, wrapping after 100 hours so the two-digit hour field stays two digits.
  constexpr std::int64_t kWrap = 100LL * 3600 * 100;
  const std::int64_t hundredths = microseconds < 0 ? 0 : microseconds / 10000 % kWrap;
  const int fields[4] = {static_cast<int>(hundredths / 360000), static_cast<int>(hundredths / 6000 % 60),
                         static_cast<int>(hundredths / 100 % 60), static_cast<int>(hundredths % 100)};
  const char separators[4] = {':', ':', '.', ' '};
  int at = 0;
  for (int i = 0; i < 4; ++i) {
    out[at++] = static_cast<char>('0' + fields[i] / 10);
    out[at++] = static_cast<char>('0' + fields[i] % 10);
    out[at++] = separators[i];
  }
  out[at++] = '#';
  // Eight digits, wrapping; a negative number shows a minus sign first.
  std::uint64_t n = frame_number < 0 ? static_cast<std::uint64_t>(-(frame_number + 1)) + 1
                                     : static_cast<std::uint64_t>(frame_number);
  for (int i = 7; i >= 0; --i) {
    out[at + i] = static_cast<char>('0' + n % 10);
    n /= 10;
  }
  if (frame_number < 0) out[at] = '-';
}

namespace {

// The stamp's scale: as large as fits the width, up to one step per 120 rows.
int StampScale(const FrameFormat& f) {
  const int by_height = std::max(1, f.height / 120);
  const int by_width = std::max(1, (f.width - 4) / (kTextLength * kCellWidth));
  return std::min(by_height, by_width);
}

int StampHeight(const FrameFormat& f) { return (kCellHeight + 2) * StampScale(f); }

// Draws the stamp on a black box with its top-left corner at (x, y).
void DrawStamp(const Canvas& canvas, int x, int y, std::int64_t frame_number, std::int64_t microseconds) {
  char text[kTextLength];
  FormatStamp(frame_number, microseconds, text);
  const int s = StampScale(FrameFormat{canvas.width(), canvas.height(), 24});
  canvas.FillRect(x, y, x + (kTextLength * kCellWidth + 2) * s, y + (kCellHeight + 2) * s, kBlack);
  for (int i = 0; i < kTextLength; ++i) {
    const Glyph* glyph = FindGlyph(text[i]);
    if (glyph == nullptr) continue;
    const int gx = x + (1 + i * kCellWidth) * s;
    for (int row = 0; row < kGlyphHeight; ++row) {
      const int gy = y + (1 + row) * s;
      for (int col = 0; col < kGlyphWidth; ++col) {
        if (glyph->rows[row] & (0x10 >> col)) {
          canvas.FillRect(gx + col * s, gy, gx + (col + 1) * s, gy + s, kWhite);
        }
      }
    }
  }
}

void CheckFormat(const FrameFormat& format, const std::uint8_t* bits) {
  if (!IsValidFrameFormat(format) || bits == nullptr) {
    throw CaptureError(CaptureErrorKind::kInvalidFormat, L"キャプチャ形式が正しくありません。");
  }
}

// What every pattern does before it draws: refuse a format it cannot fill,
// then see the buffer through a canvas.
class CanvasPattern : public Pattern {
 public:
  void Render(const FrameFormat& format, std::uint8_t* bits, std::int64_t frame_number,
              std::int64_t microseconds) final {
    CheckFormat(format, bits);
    Draw(format, Canvas(format, bits), frame_number, microseconds);
  }

 private:
  virtual void Draw(const FrameFormat& format, const Canvas& canvas, std::int64_t frame_number,
                    std::int64_t microseconds) = 0;
};

class ColourBars final : public CanvasPattern {
  void Draw(const FrameFormat& format, const Canvas& canvas, std::int64_t frame_number,
            std::int64_t microseconds) override {
    const int w = format.width;
    const int h = format.height;
    const int bars_bottom = h * 2 / 3;

    // One row of bars drawn pixel by pixel, every other row copied from it.
    std::uint8_t* first = canvas.Row(0);
    constexpr int kBarCount = static_cast<int>(sizeof kBars / sizeof kBars[0]);
    for (int i = 0; i < kBarCount; ++i) {
      Canvas::FillSpan(first, w * i / kBarCount, w * (i + 1) / kBarCount, kBars[i]);
    }
    canvas.ZeroPadding(0);
    canvas.RepeatRow(0, 1, bars_bottom);

    // The lower band: plain dark row, copied down.
    Canvas::FillSpan(canvas.Row(bars_bottom), 0, w, kBand);
    canvas.ZeroPadding(bars_bottom);
    canvas.RepeatRow(bars_bottom, bars_bottom + 1, h);

    // The marker sweeps the band's lower half, one step a frame, so motion
    // shows even when the stamp is clipped away.
    const int band = h - bars_bottom;
    const int stamp_h = StampHeight(format);
    const int marker = std::max(2, std::min(band - stamp_h - 2, w / 16));
    const int travel = std::max(1, w - marker);
    const int step = std::max(1, w / 64);
    const std::int64_t position = (frame_number % travel + travel) % travel;
    const int mx = static_cast<int>(position * step % travel);
    const int my = std::max(bars_bottom + stamp_h + 1, h - marker - 1);
    canvas.FillRect(mx, my, mx + marker, my + marker, kWhite);

    DrawStamp(canvas, 2, bars_bottom + 1, frame_number, microseconds);
  }
};

class MovingCheckerboard final : public CanvasPattern {
  void Draw(const FrameFormat& format, const Canvas& canvas, std::int64_t frame_number,
            std::int64_t microseconds) override {
    const int w = format.width;
    const int h = format.height;
    const int cell = std::max(4, std::min(w, h) / 8);
    const int period = 2 * cell;
    const int dx = static_cast<int>((frame_number % period + period) % period);
    const int dy = static_cast<int>(((frame_number / 2) % period + period) % period);
    const int ramp_bottom = std::max(1, h / 8);

    // The ramp: one row computed, the rest copied.
    std::uint8_t* ramp = canvas.Row(0);
    for (int x = 0; x < w; ++x) {
      const auto v = static_cast<std::uint8_t>(w > 1 ? x * 255 / (w - 1) : 0);
      ramp[3 * x] = ramp[3 * x + 1] = ramp[3 * x + 2] = v;
    }
    canvas.ZeroPadding(0);
    canvas.RepeatRow(0, 1, ramp_bottom);

    // The board: each row equals the last row of the same parity, so only
    // the first row of each parity is computed.
    int template_row[2] = {-1, -1};
    for (int y = ramp_bottom; y < h; ++y) {
      const int parity = ((y + dy) / cell) & 1;
      if (template_row[parity] >= 0) {
        canvas.RepeatRow(template_row[parity], y, y + 1);
        continue;
      }
      std::uint8_t* row = canvas.Row(y);
      for (int x = 0; x < w; ++x) {
        const Bgr c = ((((x + dx) / cell) & 1) ^ parity) ? kCheckA : kCheckB;
        row[3 * x] = c.b;
        row[3 * x + 1] = c.g;
        row[3 * x + 2] = c.r;
      }
      canvas.ZeroPadding(y);
      template_row[parity] = y;
    }
    DrawStamp(canvas, 2, h - StampHeight(format) - 2, frame_number, microseconds);
  }
};

}  // namespace

std::unique_ptr<Pattern> MakeColourBars() { return std::make_unique<ColourBars>(); }
std::unique_ptr<Pattern> MakeMovingCheckerboard() { return std::make_unique<MovingCheckerboard>(); }

}  // namespace morvane
