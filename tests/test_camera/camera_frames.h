// The test camera's pictures: frame n carries n as a bar code of 16 white
// or black blocks across the top quarter (most significant bit on the left),
// and a bar below it that moves with n, so a preview visibly runs. Both the
// camera and the tests that read frames back use this file.
#pragma once

#include <cstdint>

#include "core/frame_convert.h"
#include "core/frame_format.h"

namespace testcamera {

constexpr int kFrameNumberBits = 16;

// Paints frame n in the source layout (RGB24 bottom-up or YUY2 top-down)
// into SourceImageSize(source) bytes.
void PaintFrame(const morvane::SourceFrame& source, std::int64_t n, std::uint8_t* bits);

// Reads the number back from a frame in the control's layout (24-bit BGR,
// bottom-up); -1 when a block is neither clearly white nor clearly black.
long ReadFrameNumber(const morvane::FrameFormat& format, const std::uint8_t* bits);
// False for an all-black picture: the row through the moving bar has the
// camera's grey and white in every frame it paints.
bool HoldsPicture(const morvane::FrameFormat& format, const std::uint8_t* bits);

// How many of the test camera's pins stream in this process now (0 when
// the camera was never loaded here).
long CameraStreams();

}  // namespace testcamera
