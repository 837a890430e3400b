// Synthetic picture sources for the control's simulated devices. A pattern
// renders frame n into a buffer the caller owns; it never allocates while
// rendering, so a capture loop can run at full speed without touching the
// heap.
#pragma once

#include <cstdint>
#include <memory>

#include "frame_format.h"

namespace morvane {

class Pattern {
 public:
  virtual ~Pattern() = default;
  // Fills format.ImageSize() bytes at bits (a bottom-up 24-bit DIB). The
  // same frame_number and time always give the same picture. Row padding
  // bytes are written as zero. format must satisfy IsValidFrameFormat.
  virtual void Render(const FrameFormat& format, std::uint8_t* bits, std::int64_t frame_number,
                      std::int64_t microseconds) = 0;
};

// The text burnt into every frame: "HH:MM:SS.hh #nnnnnnnn". The time is
// whole microseconds so that the hundredths shown never depend on how a
// processor rounds a double; it is cut (not rounded) to hundredths, wraps
// after 100 hours, and counts from 0 when negative.
constexpr int kStampLength = 21;
void FormatStamp(std::int64_t frame_number, std::int64_t microseconds, char (&out)[kStampLength]);

// Seven colour bars, a marker moving across the bottom band, and the frame
// counter and time (HH:MM:SS.hh, hundredths) burnt in with a built-in font.
std::unique_ptr<Pattern> MakeColourBars();
// A grey ramp over a checkerboard scrolling diagonally, with the same
// counter and time: easy to tell apart from the bars at a glance.
std::unique_ptr<Pattern> MakeMovingCheckerboard();

}  // namespace morvane
