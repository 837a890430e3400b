// What the test camera is told to do wrong, from the environment of the
// process that uses it, read each time it starts streaming:
//   MORVANE_TEST_CAMERA_FAULT = one of
//     fail_open   cannot be opened at all (creating the filter fails)
//     fail_start  refuses to start (Pause fails)
//     stall:N     delivers frames 0..N-1, then nothing, while still running
//     vanish:N    delivers frames 0..N-1, then reports the device lost
//     drop:N      leaves out frame N and counts it (IAMDroppedFrames)
//     half        announces 30 frames a second and delivers every other one
//                 (even numbers, at their own times), counting none dropped,
//                 as a webcam does in low light
//     no_times    sets no sample times, as Wine's own capture filter does
//     flip:N      from frame N on, turns RGB24 the other way up
//     relayout:N  from frame N on, sends RGB24 as YUY2 at the same size
//     shrink:N    from frame N on, sends half the width and height
//                 (each of the three changes the type on sample N)
//     unpadded    sizes RGB24 samples without row padding, as Wine's own
//                 capture filter does
//     cut:N       sends Motion JPEG frame N cut off halfway, as a USB
//                 transfer that lost its end
//   MORVANE_TEST_CAMERA_FORMATS = the layouts offered at each size, in
//     order, separated by commas: mjpg, yuy2, rgb24 (default: yuy2,rgb24).
//     A list with anything else in it counts as the default.
//   MORVANE_TEST_CAMERA_SIZES = the sizes listed, largest first, as WxH
//     separated by commas (default: 640x480,320x240); WxH/layout lists
//     that one layout alone at that place, whatever the formats say.
//   MORVANE_TEST_CAMERA_PREVIEW = sizes as above: the camera also has a
//     preview pin, listed before its capture pin, whose IAMStreamConfig
//     offers these sizes; unset or malformed: the capture pin alone
//   MORVANE_TEST_CAMERA_PAGES = none: the camera offers no property page
// Whether a camera streams is what TestCameraStreams(), exported by the
// DLL, tells the process that loaded it.
#pragma once

#include <cstdint>
#include <vector>

namespace testcamera {

enum class Fault {
  kNone, kFailOpen, kFailStart, kStall, kVanish, kDrop, kHalfRate, kNoTimes, kFlip, kRelayout, kShrink, kUnpadded, kCut
};

struct FaultPlan {
  Fault fault = Fault::kNone;
  std::int64_t after_frames = 0;
};

FaultPlan ReadFaultPlan();

enum class Layout { kMjpg, kYuy2, kRgb24 };

// Parses a MORVANE_TEST_CAMERA_FORMATS value; nullptr gives the default.
std::vector<Layout> ParseFormatChoice(const wchar_t* value);
std::vector<Layout> ReadFormatChoice();

struct Size {
  int width;
  int height;
  bool one_layout = false;  // only `layout` here, not the formats asked for
  Layout layout = Layout::kYuy2;
};
// Parses a MORVANE_TEST_CAMERA_SIZES value; nullptr or anything malformed
// gives the default.
std::vector<Size> ParseSizeChoice(const wchar_t* value);
std::vector<Size> ReadSizeChoice();
// Empty when the camera has no preview pin.
std::vector<Size> ReadPreviewSizes();

bool ReadPagesOffered();

}  // namespace testcamera
