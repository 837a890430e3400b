// The device of the fault tests: it draws colour bars, and its Render
// throws when a test arms it. The control owns the device, so the test arms
// it through the one RenderFaults the device reads.
#pragma once

#include <memory>
#include <vector>

#include "video_device.h"

namespace morvane_test {

enum class RenderFault {
  kNone,
  kOutOfMemory,   // std::bad_alloc
  kCaptureError,  // the core's own error, with its text
  kForeign,       // not a std::exception at all
};

// The device's text for kCaptureError.
extern const wchar_t kRenderFaultText[];

// Makes the device's n-th Render call from now (0: the next) throw, once.
void ArmRenderFault(RenderFault fault, int at_call);
// Makes every Render call throw until disarmed (RenderFault::kNone).
void ArmRenderFaultAlways(RenderFault fault);
// Render calls so far.
int RenderCalls();

// A list holding one fault device, as MakeSyntheticDevices returns it.
std::vector<std::unique_ptr<morvane::VideoDevice>> MakeFaultDevices();

}  // namespace morvane_test
