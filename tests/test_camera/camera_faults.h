// What the test camera is told to do wrong, from the environment of the
// process that uses it, read each time it starts streaming:
//   MORVANE_TEST_CAMERA_FAULT = fail_start | stall:N | vanish:N | drop:N
//     fail_start  refuses to start (Pause fails)
//     stall:N     delivers frames 0..N-1, then nothing, while still running
//     vanish:N    delivers frames 0..N-1, then reports the device lost
//     drop:N      leaves out frame N and counts it (IAMDroppedFrames)
//   MORVANE_TEST_CAMERA_FORMATS = the layouts offered at each size, in
//     order, separated by commas: mjpg, yuy2, rgb24 (default: yuy2,rgb24).
//     A list with anything else in it counts as the default.
//   MORVANE_TEST_CAMERA_PAGES = none: the camera offers no property page
#pragma once

#include <cstdint>
#include <vector>

namespace testcamera {

enum class Fault { kNone, kFailStart, kStall, kVanish, kDrop };

struct FaultPlan {
  Fault fault = Fault::kNone;
  std::int64_t after_frames = 0;
};

FaultPlan ReadFaultPlan();

enum class Layout { kMjpg, kYuy2, kRgb24 };

// Parses a MORVANE_TEST_CAMERA_FORMATS value; nullptr gives the default.
std::vector<Layout> ParseFormatChoice(const wchar_t* value);
std::vector<Layout> ReadFormatChoice();

bool ReadPagesOffered();

}  // namespace testcamera
