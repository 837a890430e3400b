// Property getters and setters of the control. Values arrive converted to
// the member's VARIANT type by Invoke; range checks live here. The rates and
// the time limit arrive as doubles and are kept as the whole numbers they
// round to (ties to even), so that a host reading them as 16-bit integers
// gets back exactly what we hold.
#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <optional>

#include "control.h"
#include "core/frame_format.h"

namespace morvane {
namespace {

HRESULT ReturnBool(VARIANT* result, bool value) {
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT ReturnShort(VARIANT* result, int value) {
  result->vt = VT_I2;
  result->iVal = static_cast<SHORT>(value);
  return S_OK;
}

HRESULT ReturnLong(VARIANT* result, long value) {
  result->vt = VT_I4;
  result->lVal = value;
  return S_OK;
}

HRESULT ReturnText(VARIANT* result, const std::wstring& text) {
  result->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!result->bstrVal) return E_OUTOFMEMORY;
  result->vt = VT_BSTR;
  return S_OK;
}

}  // namespace

HRESULT Control::GetCaptureFileName(VARIANT* result) { return ReturnText(result, settings_.capture_file); }

HRESULT Control::PutCaptureFileName(const VARIANT& value) {
  std::wstring name(value.bstrVal ? value.bstrVal : L"", ::SysStringLen(value.bstrVal));
  if (const std::optional<MessageId> fault = FileNameFault(name)) return Fail(*fault);
  // The name takes effect with the next capture; a capture in progress
  // keeps writing the file it opened.
  settings_.capture_file = name;
  PersistSettings({SettingId::kCaptureFileName});
  return S_OK;
}

HRESULT Control::GetPreview(VARIANT* result) { return ReturnBool(result, preview_); }

HRESULT Control::PutPreview(const VARIANT& value) {
  preview_ = value.boolVal != VARIANT_FALSE;
  // Preview and overlay exclude each other: the later choice wins.
  if (preview_) overlay_ = false;
  UpdatePreviewTimer();
  AnnouncePreviewState();
  return S_OK;
}

HRESULT Control::GetStatusWindow(VARIANT* result) {
  return ReturnLong(result, static_cast<LONG>(reinterpret_cast<LONG_PTR>(status_window_)));
}

HRESULT Control::PutStatusWindow(const VARIANT& value) {
  HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(value.lVal));
  // 0 switches the status line off; anything else must be a window.
  if (window && !::IsWindow(window)) return Fail(MessageId::kStatusWindowInvalid);
  status_window_ = window;
  return S_OK;
}

HRESULT Control::GetOverlay(VARIANT* result) { return ReturnBool(result, overlay_); }

HRESULT Control::PutOverlay(const VARIANT& value) {
  bool on = value.boolVal != VARIANT_FALSE;
  VideoDevice* device = CurrentDevice();
  if (on && (!device || !device->HasOverlay())) return Fail(MessageId::kOverlayUnsupported);
  overlay_ = on;
  if (overlay_) preview_ = false;
  UpdatePreviewTimer();
  AnnouncePreviewState();
  return S_OK;
}

HRESULT Control::PutPreviewRate(const VARIANT& value) {
  const HRESULT hr = PutStoredWhole<SettingId::kPreviewRate, MessageId::kPreviewRateOutOfRange>(value);
  if (SUCCEEDED(hr)) UpdatePreviewTimer();
  return hr;
}

HRESULT Control::PutDeviceIndex(const VARIANT& value) {
  if (devices_.empty()) return Fail(MessageId::kNoDevice);
  if (value.iVal < 0 || value.iVal >= static_cast<int>(devices_.size())) {
    return Fail(MessageId::kDeviceIndexOutOfRange);
  }
  // Switching the source under a running capture would change the picture
  // mid-file; the switch waits until the capture is over.
  if (capture_.capturing && value.iVal != settings_.device_index) return Fail(MessageId::kCaptureRunning);
  settings_.device_index = value.iVal;
  VideoDevice* device = CurrentDevice();
  if (overlay_ && !device->HasOverlay()) {
    overlay_ = false;
    UpdatePreviewTimer();
    AnnouncePreviewState();
  }
  // The device chosen before stops streaming unless it is still chosen
  // (its light goes off, other programs may open it).
  UpdatePreviewTimer();
  PersistSettings({SettingId::kDeviceIndex});
  VARIANTARG argument;
  argument.vt = VT_I2;
  argument.iVal = value.iVal;
  FireEvent(kEventDeviceChanged, &argument, 1);
  if (window_) ::InvalidateRect(window_, nullptr, FALSE);
  return S_OK;
}

HRESULT Control::GetVersion(VARIANT* result) { return ReturnText(result, L"1.0"); }
HRESULT Control::GetCapturedFrames(VARIANT* result) { return ReturnLong(result, capture_.captured_frames); }
HRESULT Control::GetDroppedFrames(VARIANT* result) { return ReturnLong(result, capture_.dropped_frames); }
HRESULT Control::GetCallbackEnabled(VARIANT* result) { return ReturnBool(result, callback_enabled_); }

HRESULT Control::PutCallbackEnabled(const VARIANT& value) {
  callback_enabled_ = value.boolVal != VARIANT_FALSE;
  return S_OK;
}

HRESULT Control::GetHasFormatDialog(VARIANT* result) {
  VideoDevice* device = CurrentDevice();
  return ReturnBool(result, device && device->HasFormatDialog());
}

HRESULT Control::GetHasSourceDialog(VARIANT* result) {
  VideoDevice* device = CurrentDevice();
  return ReturnBool(result, device && device->HasSourceDialog());
}

HRESULT Control::GetCapturing(VARIANT* result) { return ReturnBool(result, capture_.capturing); }

HRESULT Control::GetHasOverlay(VARIANT* result) {
  VideoDevice* device = CurrentDevice();
  return ReturnBool(result, device && device->HasOverlay());
}

HRESULT Control::GetDeviceCount(VARIANT* result) {
  RefreshDevices();
  return ReturnShort(result, static_cast<int>(devices_.size()));
}

}  // namespace morvane
