// The one device of the capture fault tests. This program defines
// MakeSyntheticDevices itself, so the control's library leaves its own
// devices out of the link and the control renders through this one.
#pragma once

namespace morvane_test {

enum class RenderFault {
  kNone,
  kOutOfMemory,   // std::bad_alloc
  kCaptureError,  // the core's own error, with its text
  kForeign,       // not a std::exception at all
};

// The device's text for kCaptureError.
extern const wchar_t kRenderFaultText[];

// Makes the device's n-th Render call from now (0: the next) throw.
void ArmRenderFault(RenderFault fault, int at_call);
// Render calls so far.
int RenderCalls();

}  // namespace morvane_test
