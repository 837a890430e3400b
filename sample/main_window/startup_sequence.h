// Start-up: fills every field, box and the device list from the control.
#pragma once

#include "options/sample_view.h"

namespace sample {

extern const wchar_t kNoDevicesEntry[];

// Each read is its own call to the control, made at its step; the widget
// assignments run their handlers nested. Throws convert::RuntimeError and
// ends at the failing step.
void RunStartUp(SampleView& view);

// The device list, filled from DeviceCount and DeviceName.
void FillDeviceList(SampleView& view);

}  // namespace sample
