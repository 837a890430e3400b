#include "directshow/device_list.h"

#include <dshow.h>

namespace morvane {
namespace {

using Microsoft::WRL::ComPtr;

class TaskString {
 public:
  ~TaskString() { ::CoTaskMemFree(text_); }
  LPOLESTR* put() { return &text_; }
  const wchar_t* get() const { return text_ ? text_ : L""; }

 private:
  LPOLESTR text_ = nullptr;
};

std::wstring FriendlyName(IMoniker* moniker) {
  ComPtr<IPropertyBag> bag;
  if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_PPV_ARGS(&bag)))) return {};
  VARIANT value;
  ::VariantInit(&value);
  std::wstring name;
  if (SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR && value.bstrVal) {
    name.assign(value.bstrVal, ::SysStringLen(value.bstrVal));
  }
  ::VariantClear(&value);
  return name;
}

}  // namespace

std::vector<VideoInputDevice> ListVideoInputDevices() {
  std::vector<VideoInputDevice> devices;
  ComPtr<ICreateDevEnum> enumerator;
  if (FAILED(::CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&enumerator)))) {
    return devices;
  }
  ComPtr<IEnumMoniker> monikers;
  // S_FALSE: the category is empty.
  if (enumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0) != S_OK || !monikers) {
    return devices;
  }
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
    VideoInputDevice device;
    device.friendly_name = FriendlyName(moniker.Get());
    if (device.friendly_name.empty()) continue;  // nothing to show a user
    TaskString display;
    if (SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, display.put()))) device.display_name = display.get();
    device.moniker = moniker;
    devices.push_back(std::move(device));
  }
  return devices;
}

}  // namespace morvane
