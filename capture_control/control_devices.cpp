// The device list: the synthetic devices, then every video-input device of
// the system by friendly name. It is read when the control is made and
// again whenever the host asks how many devices there are, so a camera
// plugged in meanwhile shows up.
#include <algorithm>
#include <iterator>

#include "control.h"
#include "directshow/directshow_device.h"

namespace morvane {
namespace {


DirectShowDevice* AsSystemDevice(VideoDevice* device) { return dynamic_cast<DirectShowDevice*>(device); }

}  // namespace

std::vector<std::unique_ptr<VideoDevice>> MakeAllDevices() {
  std::vector<std::unique_ptr<VideoDevice>> devices = MakeSyntheticDevices();
  std::vector<std::unique_ptr<VideoDevice>> system = MakeDirectShowDevices();
  std::move(system.begin(), system.end(), std::back_inserter(devices));
  return devices;
}

void Control::RefreshDevices() {
  // The list stays as it is under a running capture: its device must not
  // move or go while frames come from it.
  if (!discovers_devices_ || capture_.capturing) return;
  std::vector<VideoInputDevice> listed = ListVideoInputDevices();
  VideoDevice* selected = CurrentDevice();
  const int old_index = settings_.device_index;

  std::vector<std::unique_ptr<VideoDevice>> next;
  std::vector<std::unique_ptr<VideoDevice>> known;
  for (auto& device : devices_) {
    if (AsSystemDevice(device.get())) {
      known.push_back(std::move(device));
    } else {
      next.push_back(std::move(device));
    }
  }
  for (VideoInputDevice& entry : listed) {
    // The same device keeps its object (and its running preview).
    auto same = std::find_if(known.begin(), known.end(), [&](const std::unique_ptr<VideoDevice>& device) {
      return device && AsSystemDevice(device.get())->display_name() == entry.display_name;
    });
    if (same != known.end()) {
      AsSystemDevice(same->get())->SetMissing(false);  // back again
      next.push_back(std::move(*same));
    } else {
      next.push_back(std::make_unique<DirectShowDevice>(std::move(entry)));
    }
  }
  int new_index = -1;
  for (size_t i = 0; i < next.size(); ++i) {
    if (next[i].get() == selected) new_index = static_cast<int>(i);
  }
  bool gone = false;
  if (new_index < 0 && selected) {
    // The selected device went away. It stays in the list, where it was,
    // and says so when used: another device is never put in its place
    // without the host choosing it.
    for (auto& device : known) {
      if (device.get() != selected) continue;
      AsSystemDevice(selected)->SetMissing(true);
      new_index = std::min(old_index, static_cast<int>(next.size()));
      next.insert(next.begin() + new_index, std::move(device));
      gone = true;
    }
  }
  devices_ = std::move(next);
  if (new_index >= 0) settings_.device_index = new_index;
  if (gone) {
    SetStatus(UiText(TextId::kSelectedDeviceGone));
    FireError(HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED), UiText(TextId::kSelectedDeviceGone));
  }
  if (new_index >= 0 && new_index != old_index) {
    PersistSettings({SettingId::kDeviceIndex});
    VARIANTARG argument;
    argument.vt = VT_I2;
    argument.iVal = static_cast<SHORT>(new_index);
    FireEvent(kEventDeviceChanged, &argument, 1);
  }
}

}  // namespace morvane
