// The Morvane capture control: one COM object with one reference count that
// answers for every interface a container uses. Its members are spread over
// one file per interface or concern:
//   control.cpp              creation, IUnknown, shared helpers
//   control_dispatch.cpp     IDispatch and the member table
//   control_properties.cpp   property getters and setters
//   control_methods.cpp      still frames, saving, device names
//   control_capture.cpp      starting a capture and hosting it (capture_session.cpp runs it)
//   control_preview.cpp      preview and overlay drawing
//   control_ole_object.cpp   IOleObject
//   control_in_place.cpp     IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl
//   control_view.cpp         IViewObject2
//   control_persist.cpp      IPersistStreamInit, IPersistPropertyBag
//   control_events.cpp       IConnectionPointContainer, IProvideClassInfo2, firing events
//   control_window.cpp       the control's child window and its message routing
//   control_devices.cpp      the device list
//   control_dialogs.cpp      the device dialogs
// Every COM method that can fail in an unforeseen way runs its body through
// the guard of guard.h.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "capture_request.h"
#include "connection_point.h"
#include "core/frame_format.h"
#include "dispatch_ids.h"
#include "guard.h"
#include "handles.h"
#include "messages.h"
#include "settings.h"
#include "video_device.h"

namespace morvane {

using Microsoft::WRL::ComPtr;

// One row of the member table (control_dispatch.cpp).
struct DispatchMember;

// Why a file name given to the control cannot be used, if it cannot.
std::optional<MessageId> FileNameFault(std::wstring_view name);

class Control final : public IDispatch,
                      public IOleObject,
                      public IOleInPlaceObject,
                      public IOleInPlaceActiveObject,
                      public IOleControl,
                      public IViewObject2,
                      public IPersistStreamInit,
                      public IPersistPropertyBag,
                      public IConnectionPointContainer,
                      public IProvideClassInfo2,
                      public ISupportErrorInfo,
                      private CaptureHost {
 public:
  static HRESULT Create(REFIID iid, void** object);
  // The same with devices of the caller's choosing (tests put in devices
  // that fail on purpose).
  static HRESULT CreateWithDevices(std::vector<std::unique_ptr<VideoDevice>> devices, REFIID iid, void** object,
                                   bool discovers_devices = false);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
  STDMETHODIMP Close(DWORD save_option) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                      LPCRECT position) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow (through IOleInPlaceObject and IOleInPlaceActiveObject)
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
  // IOleInPlaceObject
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame_window) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG* msg) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // IViewObject2
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target, HDC target_dc,
                    HDC draw_dc, LPCRECTL bounds, LPCRECTL window_bounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR cont_arg) override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target, HDC target_dc,
                           LOGPALETTE** palette) override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* freeze) override;
  STDMETHODIMP Unfreeze(DWORD freeze) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;

  // IPersist (through both persistence interfaces)
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  // IPersistStreamInit
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPSTREAM stream) override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clear_dirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;
  // IPersistPropertyBag (InitNew is shared with IPersistStreamInit)
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

  // Dispatch members, one per row of the member table. Property values
  // arrive already converted to the member's type.
  //
  // A property that is one flag of the stored settings: a get reads it, a
  // put stores it and writes just it to the user's settings.
  template <SettingId kSetting>
  HRESULT GetStoredFlag(VARIANT* result);
  template <SettingId kSetting>
  HRESULT PutStoredFlag(const VARIANT& value);
  // A property that is one whole number of the stored settings (hosts read
  // it as a short): a put takes a double, rounds it (ties to even) and
  // refuses it with kRefusal outside the setting's range.
  template <SettingId kSetting>
  HRESULT GetStoredWhole(VARIANT* result);
  template <SettingId kSetting, MessageId kRefusal>
  HRESULT PutStoredWhole(const VARIANT& value);
  // CaptureWidth and CaptureHeight: a side of the frame, which a running
  // capture keeps.
  template <SettingId kSetting>
  HRESULT PutFrameSide(const VARIANT& value);
  HRESULT GetCaptureFileName(VARIANT* result);
  HRESULT PutCaptureFileName(const VARIANT& value);
  HRESULT GetPreview(VARIANT* result);
  HRESULT PutPreview(const VARIANT& value);
  HRESULT GetStatusWindow(VARIANT* result);
  HRESULT PutStatusWindow(const VARIANT& value);
  HRESULT GetOverlay(VARIANT* result);
  HRESULT PutOverlay(const VARIANT& value);
  HRESULT PutPreviewRate(const VARIANT& value);
  HRESULT PutDeviceIndex(const VARIANT& value);
  HRESULT GetVersion(VARIANT* result);
  HRESULT GetCapturedFrames(VARIANT* result);
  HRESULT GetDroppedFrames(VARIANT* result);
  HRESULT GetCallbackEnabled(VARIANT* result);
  HRESULT PutCallbackEnabled(const VARIANT& value);
  HRESULT GetHasFormatDialog(VARIANT* result);
  HRESULT GetHasSourceDialog(VARIANT* result);
  HRESULT GetCapturing(VARIANT* result);
  HRESULT GetHasOverlay(VARIANT* result);
  HRESULT GetDeviceCount(VARIANT* result);
  HRESULT SaveCaptureFile(const VARIANT* args, VARIANT* result);
  HRESULT StartCapture(const VARIANT* args, VARIANT* result);
  HRESULT ShowFormatDialog(const VARIANT* args, VARIANT* result);
  HRESULT ShowSourceDialog(const VARIANT* args, VARIANT* result);
  HRESULT ShowAudioDialog(const VARIANT* args, VARIANT* result);
  HRESULT AboutBox(const VARIANT* args, VARIANT* result);
  HRESULT SaveBitmap(const VARIANT* args, VARIANT* result);
  HRESULT CopyToClipboard(const VARIANT* args, VARIANT* result);
  HRESULT CopyFrameToDC(const VARIANT* args, VARIANT* result);
  HRESULT ShowCompressionDialog(const VARIANT* args, VARIANT* result);
  HRESULT StartStreamCapture(const VARIANT* args, VARIANT* result);
  HRESULT DeviceName(const VARIANT* args, VARIANT* result);

  // Window messages, routed by control_window.cpp.
  void OnTimer();
  void OnPaint();
  void OnLeftButtonDown();
  void OnRightButtonDown();
  void OnLeftButtonDoubleClick();
  void OnWindowDestroyed();
  // A message handler failed: preview and overlay stop, and the status line
  // and the Error event say why. Never throws.
  void OnWindowFailure(const Failure& failure) noexcept;

 private:
  explicit Control(std::vector<std::unique_ptr<VideoDevice>> devices);
  ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Records the error for Invoke's EXCEPINFO and returns DISP_E_EXCEPTION.
  HRESULT Fail(MessageId id);
  // A scode that is not a failure is recorded as E_FAIL: the caller must
  // never read a failure as success.
  HRESULT FailWith(HRESULT scode, const std::wstring& text);
  // Invoke's part after the parameters were checked, inside the guard: a
  // put, a method call or a get, as flags ask for and the member offers.
  HRESULT InvokeMember(const DispatchMember& row, WORD flags, DISPPARAMS& params, VARIANT* result, UINT* arg_error);
  HRESULT InvokeGet(const DispatchMember& row, DISPPARAMS& params, VARIANT* result);
  HRESULT InvokePut(const DispatchMember& row, DISPPARAMS& params, UINT* arg_error);
  HRESULT InvokeMethod(const DispatchMember& row, DISPPARAMS& params, VARIANT* result, UINT* arg_error);
  // The failure Fail recorded, as IErrorInfo and in the caller's EXCEPINFO;
  // returns what Invoke answers.
  HRESULT ReportException(EXCEPINFO* exception);
  HRESULT EnsureTypeInfo();

  VideoDevice* CurrentDevice() const;
  // Reads the system's devices again (control_devices.cpp).
  void RefreshDevices();
  FrameFormat CaptureFormat() const;
  // Writes just these settings, so that what another control of the same
  // user changed meanwhile stays.
  void PersistSettings(std::initializer_list<SettingId> ids);
  void SetStatus(const wchar_t* text);

  // Preview: renders a frame into the still buffer and draws it.
  void UpdatePreviewTimer();
  // Status line and PreviewChanged after Preview or Overlay changed.
  void AnnouncePreviewState();
  // Renders the device's next frame into the still buffer: at `shown`
  // where the device makes a frame that size for less (a camera's Motion
  // JPEG in a window smaller than the capture size), else at the capture
  // size.
  void RenderPreviewFrame(const FrameFormat& shown);
  // The size the window shows frames at: the capture size, or less in
  // each direction where the window is smaller.
  FrameFormat ShownFormat() const;
  void DrawFrame(HDC dc, const RECT& target, const FrameFormat& format, const std::uint8_t* bits,
                 bool overlay_mark) const;
  // The frame stills are made from: the capture's live buffer while one
  // runs, else the last preview frame (rendered on demand). A camera shown
  // nowhere gives a frame it delivers now (or throws CaptureError), unless
  // from_camera is false (a container's repaint): then its last picture.
  bool CurrentFrame(FrameFormat& format, const std::uint8_t*& bits, bool from_camera = true);
  // Waits (bounded) for a camera's next frame into the still buffer.
  void TakeLiveStill(LiveFeed& feed, const FrameFormat& wanted);
  // The status line names the camera's own size while the preview scales
  // it to the one asked for.
  void TellPreviewSize(const FrameFormat& streaming, const FrameFormat& shown);

  // The message-only window that owns our clipboard data, made on first use.
  HWND ClipboardOwner();

  // The capture runs in a session of its own, which fills in capture_ and
  // calls back through CaptureHost: the events in control_events.cpp, the
  // rest in control_capture.cpp.
  HRESULT RunCapture(bool to_file);
  // Everything the capture runs on, in one place: the size the device
  // delivers, the file, rate, limit, sound and its input, compression and
  // stop clicks.
  CaptureRequest MakeCaptureRequest(VideoDevice& device, const FrameFormat& format, bool to_file,
                                    const AudioInputChoice& audio_input);
  // The compression a capture to a file uses (control_compression.cpp): a
  // stored codec that is no longer installed is reported and forgotten,
  // and the capture is uncompressed.
  VideoCompression CaptureCompression(VideoDevice& device);
  void CaptureStarting() override;
  void CaptureStarted(long width, long height) override;
  void ShowCaptureStatus(const wchar_t* text) override;
  void FramesDropped(long first_slot) override;
  bool StreamFrame(long width, long height, const void* info, const void* bits) override;
  bool ShowsFrames() const override { return callback_enabled_ || (preview_ && window_); }
  void DrawCaptureFrame(const FrameFormat& format, const std::uint8_t* bits) override;
  void KeepLastFrame(const FrameFormat& format, const std::uint8_t* bits) noexcept override;
  void CaptureFailed(HRESULT scode, const wchar_t* text) override;
  void CaptureWarning(HRESULT scode, const wchar_t* text) override;
  void CaptureStopped(StopReason reason) override;
  void CaptureComplete(long captured, long dropped) override;
  void CaptureEnded() override;

  HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
  HRESULT CreateControlWindow(HWND parent, const RECT& position);
  void DestroyControlWindow();

  // Events
  void FireEvent(DISPID id, VARIANTARG* args, UINT count);
  void FireStatusChanged(const wchar_t* text);
  void FireError(HRESULT code, const std::wstring& text);
  void FireWithoutArguments(EventId id);
  // An event whose two arguments are longs, given in the event's own order.
  void FireTwoLongs(DISPID id, long first, long second);
  void FirePreviewChanged();

  LONG references_ = 1;
  EventConnectionPoint events_;

  ComPtr<ITypeLib> type_library_;
  ComPtr<ITypeInfo> dispatch_info_;
  ComPtr<ITypeInfo> class_info_;

  ComPtr<IOleClientSite> client_site_;
  ComPtr<IOleInPlaceSite> in_place_site_;
  ComPtr<IOleAdviseHolder> advise_holder_;
  ComPtr<IAdviseSink> view_sink_;
  DWORD view_aspects_ = 0;
  DWORD view_flags_ = 0;
  HWND window_ = nullptr;
  // A message-only window of our own that owns what we put on the
  // clipboard; it exists before in-place activation and after Close.
  UniqueHwnd clipboard_owner_;
  bool in_place_active_ = false;
  SIZEL extent_{8467, 6350};  // 320 x 240 pixels at 96 dpi, in HIMETRIC
  LONG freeze_count_ = 0;

  Settings settings_;
  std::wstring settings_key_;
  std::vector<std::unique_ptr<VideoDevice>> devices_;
  // Made through Create: the system's devices join the list and are read
  // again when the host counts them.
  bool discovers_devices_ = false;
  HWND status_window_ = nullptr;
  bool preview_ = false;
  bool overlay_ = false;
  bool callback_enabled_ = false;

  // Still and preview frame.
  FrameFormat still_format_;
  std::vector<std::uint8_t> still_bits_;
  // The still is the last frame of a capture, kept for the still commands.
  bool still_captured_ = false;
  // The camera size the status line names now (0: none named).
  int preview_told_width_ = 0;
  int preview_told_height_ = 0;
  std::int64_t preview_frame_ = 0;
  DWORD preview_started_ = 0;

  // The running capture, if any, and the counts of the last one.
  CaptureState capture_;

  HRESULT error_scode_ = S_OK;
  std::wstring error_text_;
};

template <SettingId kSetting>
HRESULT Control::GetStoredFlag(VARIANT* result) {
  result->vt = VT_BOOL;
  result->boolVal = settings_.*RowOf(kSetting).flag ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

template <SettingId kSetting>
HRESULT Control::PutStoredFlag(const VARIANT& value) {
  settings_.*RowOf(kSetting).flag = value.boolVal != VARIANT_FALSE;
  PersistSettings({kSetting});
  return S_OK;
}

template <SettingId kSetting>
HRESULT Control::GetStoredWhole(VARIANT* result) {
  result->vt = VT_I2;
  result->iVal = static_cast<SHORT>(settings_.*RowOf(kSetting).integer);
  return S_OK;
}

template <SettingId kSetting, MessageId kRefusal>
HRESULT Control::PutStoredWhole(const VARIANT& value) {
  const SettingRow& row = RowOf(kSetting);
  const std::optional<std::int32_t> whole = RoundToRange(value.dblVal, row.range);
  if (!whole) return Fail(kRefusal);
  settings_.*row.integer = *whole;
  PersistSettings({kSetting});
  return S_OK;
}

template <SettingId kSetting>
HRESULT Control::PutFrameSide(const VARIANT& value) {
  int& side = settings_.*RowOf(kSetting).integer;
  if (value.iVal < kMinFrameSide || value.iVal > kMaxFrameSide) return Fail(MessageId::kFrameSizeOutOfRange);
  if (capture_.capturing && value.iVal != side) return Fail(MessageId::kCaptureRunning);
  side = value.iVal;
  PersistSettings({kSetting});
  return S_OK;
}

}  // namespace morvane
