#include "control.h"

#include <new>
#include <utility>

#include "basics/com_object.h"
#include "module.h"
#include "morvane_guids.h"

namespace morvane {
namespace {

template <typename Interface>
void* As(Control* control) {
  return static_cast<Interface*>(control);
}

struct InterfaceRow {
  const IID* iid;
  void* (*cast)(Control* control);
  // Our dispatch members describe failures in EXCEPINFO and IErrorInfo;
  // the others through IErrorInfo when their guard caught something.
  bool error_info;
};

// Every interface the control answers for, and the base that serves it.
const InterfaceRow kInterfaces[] = {
    {&IID_IUnknown, &As<IDispatch>, false},
    {&IID_IDispatch, &As<IDispatch>, true},
    {&DIID__DMorvane, &As<IDispatch>, true},
    {&IID_IOleObject, &As<IOleObject>, true},
    {&IID_IOleWindow, &As<IOleInPlaceObject>, false},
    {&IID_IOleInPlaceObject, &As<IOleInPlaceObject>, false},
    {&IID_IOleInPlaceActiveObject, &As<IOleInPlaceActiveObject>, false},
    {&IID_IOleControl, &As<IOleControl>, false},
    {&IID_IViewObject, &As<IViewObject2>, true},
    {&IID_IViewObject2, &As<IViewObject2>, true},
    {&IID_IPersist, &As<IPersistStreamInit>, false},
    {&IID_IPersistStreamInit, &As<IPersistStreamInit>, false},
    {&IID_IPersistPropertyBag, &As<IPersistPropertyBag>, false},
    {&IID_IConnectionPointContainer, &As<IConnectionPointContainer>, false},
    {&IID_IProvideClassInfo, &As<IProvideClassInfo2>, true},
    {&IID_IProvideClassInfo2, &As<IProvideClassInfo2>, true},
    {&IID_ISupportErrorInfo, &As<ISupportErrorInfo>, false},
};

const InterfaceRow* FindInterface(REFIID iid) {
  for (const InterfaceRow& row : kInterfaces) {
    if (*row.iid == iid) return &row;
  }
  return nullptr;
}

}  // namespace

std::optional<MessageId> FileNameFault(std::wstring_view name) {
  switch (CheckFileName(name)) {
    case FileNameProblem::kNone:
      return std::nullopt;
    case FileNameProblem::kBlank:
      return MessageId::kEmptyFileName;
    case FileNameProblem::kUnusable:
      break;
  }
  return MessageId::kSaveFailed;
}

HRESULT Control::Create(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  // A pattern or device that cannot be set up leaves no usable control.
  return ComGuard([&] { return CreateWithDevices(MakeAllDevices(), iid, object, true); });
}

HRESULT Control::CreateWithDevices(std::vector<std::unique_ptr<VideoDevice>> devices, REFIID iid, void** object,
                                   bool discovers_devices) {
  if (!object) return E_POINTER;
  *object = nullptr;
  return ComGuard([&] {
    Control* control = new Control(std::move(devices));
    control->discovers_devices_ = discovers_devices;
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
  const InterfaceRow* row = FindInterface(iid);
  return basics::HandOut(row ? row->cast(this) : nullptr, object);
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
  const InterfaceRow* row = FindInterface(iid);
  return row && row->error_info ? S_OK : S_FALSE;
}

void Control::SetStatus(const wchar_t* text) {
  if (status_window_ && ::IsWindow(status_window_)) ::SetWindowTextW(status_window_, text);
  FireStatusChanged(text);
}

}  // namespace morvane
