// The system's video-input devices (cameras, capture cards, and under Wine
// its V4L2 devices), by friendly name, as DirectShow's device enumerator
// lists them.
#pragma once

#include <objidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

namespace morvane {

struct VideoInputDevice {
  std::wstring friendly_name;
  // Tells two devices of the same name apart, and a device from its
  // successor after an unplug.
  std::wstring display_name;
  Microsoft::WRL::ComPtr<IMoniker> moniker;
};

// Empty when there are none or DirectShow is missing; never throws a COM
// failure (only std::bad_alloc).
std::vector<VideoInputDevice> ListVideoInputDevices();

}  // namespace morvane
