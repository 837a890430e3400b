// What the test camera is told to do wrong, from the environment of the
// process that uses it, read each time it starts streaming:
//   MORVANE_TEST_CAMERA_FAULT = fail_start | stall:N | vanish:N | drop:N
//     fail_start  refuses to start (Pause fails)
//     stall:N     delivers frames 0..N-1, then nothing, while still running
//     vanish:N    delivers frames 0..N-1, then reports the device lost
//     drop:N      leaves out frame N and counts it (IAMDroppedFrames)
//   MORVANE_TEST_CAMERA_FORMATS = rgb24 | yuy2 (default: both, YUY2 first)
#pragma once

#include <cstdint>

namespace testcamera {

enum class Fault { kNone, kFailStart, kStall, kVanish, kDrop };

struct FaultPlan {
  Fault fault = Fault::kNone;
  std::int64_t after_frames = 0;
};

FaultPlan ReadFaultPlan();

struct FormatChoice {
  bool rgb24 = true;
  bool yuy2 = true;
};
FormatChoice ReadFormatChoice();

}  // namespace testcamera
