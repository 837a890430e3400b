#include "control.h"

#include <new>
#include <utility>

#include "module.h"
#include "morvane_guids.h"

namespace morvane {

HRESULT Control::Create(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  // A pattern or device that cannot be set up leaves no usable control.
  return ComGuard([&] { return CreateWithDevices(MakeSyntheticDevices(), iid, object); });
}

HRESULT Control::CreateWithDevices(std::vector<std::unique_ptr<VideoDevice>> devices, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  return ComGuard([&] {
    Control* control = new Control(std::move(devices));
    HRESULT hr = control->QueryInterface(iid, object);
    control->Release();
    return hr;
  });
}

Control::Control(std::vector<std::unique_ptr<VideoDevice>> devices)
    : events_(static_cast<IDispatch*>(this), static_cast<IConnectionPointContainer*>(this), DIID__DMorvaneEvents),
      settings_key_(SettingsKeyPath()),
      devices_(std::move(devices)) {
  LoadSettings(settings_, settings_key_);
  if (settings_.capture_file.empty()) settings_.capture_file = DefaultCaptureFile();
  if (settings_.device_index < 0 || settings_.device_index >= static_cast<int>(devices_.size())) {
    settings_.device_index = 0;
  }
  if (VideoDevice* device = CurrentDevice()) device->SelectSource(settings_.source_pattern);
  ObjectCreated();
}

Control::~Control() {
  DestroyControlWindow();
  ObjectDestroyed();
}

STDMETHODIMP Control::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__DMorvane) {
    *object = static_cast<IDispatch*>(this);
  } else if (iid == IID_IOleObject) {
    *object = static_cast<IOleObject*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
    *object = static_cast<IOleInPlaceObject*>(this);
  } else if (iid == IID_IOleInPlaceActiveObject) {
    *object = static_cast<IOleInPlaceActiveObject*>(this);
  } else if (iid == IID_IOleControl) {
    *object = static_cast<IOleControl*>(this);
  } else if (iid == IID_IViewObject || iid == IID_IViewObject2) {
    *object = static_cast<IViewObject2*>(this);
  } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else if (iid == IID_IPersistPropertyBag) {
    *object = static_cast<IPersistPropertyBag*>(this);
  } else if (iid == IID_IConnectionPointContainer) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
    *object = static_cast<IProvideClassInfo2*>(this);
  } else if (iid == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) Control::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) Control::Release() {
  LONG count = ::InterlockedDecrement(&references_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT Control::Fail(MessageId id) {
  const MessageRow& row = Message(id);
  return FailWith(row.scode, row.text);
}

HRESULT Control::FailWith(HRESULT scode, const std::wstring& text) {
  error_scode_ = FAILED(scode) ? scode : E_FAIL;
  try {
    error_text_ = text;
  } catch (const std::bad_alloc&) {
    error_text_.clear();
  }
  return DISP_E_EXCEPTION;
}

HRESULT Control::EnsureTypeInfo() {
  if (dispatch_info_ && class_info_) return S_OK;
  if (!type_library_) {
    HRESULT hr = ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, type_library_.GetAddressOf());
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = type_library_->GetTypeInfoOfGuid(DIID__DMorvane, dispatch_info_.ReleaseAndGetAddressOf());
  if (FAILED(hr)) return hr;
  return type_library_->GetTypeInfoOfGuid(CLSID_Morvane, class_info_.ReleaseAndGetAddressOf());
}

VideoDevice* Control::CurrentDevice() const {
  if (settings_.device_index < 0 || settings_.device_index >= static_cast<int>(devices_.size())) return nullptr;
  return devices_[static_cast<size_t>(settings_.device_index)].get();
}

FrameFormat Control::CaptureFormat() const {
  FrameFormat format;
  format.width = settings_.capture_width;
  format.height = settings_.capture_height;
  format.bits_per_pixel = 24;
  return format;
}

void Control::PersistSettings(std::initializer_list<SettingId> ids) {
  for (SettingId id : ids) {
    if (id == SettingId::kSourcePattern) {
      if (VideoDevice* device = CurrentDevice()) settings_.source_pattern = device->SelectedSource();
    }
    SaveSetting(settings_, id, settings_key_);
  }
}

STDMETHODIMP Control::InterfaceSupportsErrorInfo(REFIID iid) {
  // Our dispatch members describe failures in EXCEPINFO and IErrorInfo; the
  // others through IErrorInfo when their guard caught something.
  return iid == IID_IDispatch || iid == DIID__DMorvane || iid == IID_IOleObject || iid == IID_IViewObject ||
                 iid == IID_IViewObject2 || iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2
             ? S_OK
             : S_FALSE;
}

void Control::SetStatus(const wchar_t* text) {
  if (status_window_ && ::IsWindow(status_window_)) ::SetWindowTextW(status_window_, text);
  FireStatusChanged(text);
}

}  // namespace morvane
