// A video source for tests: a DirectShow filter with a capture pin that
// delivers numbered frames (camera_frames.h) in real time while the graph
// runs, registered as a video-input device. Told to, it also has a preview
// pin listed before the capture pin, as many real cameras do. It does only
// what a capture device must do for a graph and our control, and can be
// told to fail (camera_faults.h).
#pragma once

#include <dshow.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "camera_faults.h"
#include "camera_jpeg.h"
#include "directshow/filter_base.h"
#include "directshow/media_type.h"
#include "handles.h"

namespace testcamera {

using Microsoft::WRL::ComPtr;

// {943C6F53-3B13-4EE6-B095-BCAC802B536F}
extern const CLSID kTestCameraClsid;
extern const wchar_t kTestCameraName[];
constexpr REFERENCE_TIME kFrameTime = 333333;  // 30 frames per second, in 100 ns
constexpr int kBuffers = 4;

// Live objects and server locks, for DllCanUnloadNow.
extern LONG g_module_references;
// Pins streaming now, in this process (TestCameraStreams()).
extern LONG g_streaming_pins;

// Runs body; an exception becomes fallback (no exception may leave a COM
// method).
template <typename Body>
HRESULT Guarded(HRESULT fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

// A new object of ours handed out as iid; T starts with one reference.
template <typename T>
HRESULT CreateObject(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  T* created = new (std::nothrow) T();
  if (!created) return E_OUTOFMEMORY;
  const HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

class CameraFilter;

class CameraPin final
    : public morvane::AlsoImplements<morvane::PinBase, IAMStreamConfig, IKsPropertySet, IAMDroppedFrames> {
 public:
  // A pin of the category given (PIN_CATEGORY_CAPTURE or _PREVIEW) that
  // offers the sizes given, in the layouts asked for.
  CameraPin(CameraFilter& filter, const wchar_t* id, const GUID& category, const std::vector<Size>& sizes);
  ~CameraPin();

  // IPin
  STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* type) override;
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
  // IAMStreamConfig
  STDMETHODIMP SetFormat(AM_MEDIA_TYPE* type) override;
  STDMETHODIMP GetFormat(AM_MEDIA_TYPE** type) override;
  STDMETHODIMP GetNumberOfCapabilities(int* count, int* size) override;
  STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) override;
  // IKsPropertySet: answers the pin's category only.
  STDMETHODIMP Set(REFGUID set, DWORD id, LPVOID instance, DWORD instance_size, LPVOID data,
                   DWORD data_size) override;
  STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID instance, DWORD instance_size, LPVOID data, DWORD data_size,
                   DWORD* returned) override;
  STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

  // IAMDroppedFrames: the frames left out on purpose (drop:N).
  STDMETHODIMP GetNumDropped(long* dropped) override;
  STDMETHODIMP GetNumNotDropped(long* delivered) override;
  STDMETHODIMP GetDroppedInfo(long size, long* frames, long* copied) override;
  STDMETHODIMP GetAverageFrameSize(long* size) override;

  // The filter's state changes.
  HRESULT Commit();
  HRESULT StartStreaming(const FaultPlan& plan, IMediaEventSink* events);
  void StopStreaming();
  void Decommit();

 private:
  void* OtherInterface(REFIID iid) override;
  void OnDisconnect() override;
  static DWORD WINAPI StreamThread(void* self);
  void Stream();
  void Deliver(IMediaSample* sample, const morvane::SourceFrame& source, std::int64_t n);
  // false: stop was asked for.
  bool WaitForFrame(std::int64_t n, std::int64_t start_ticks, std::int64_t frequency);
  bool IsOurs(const AM_MEDIA_TYPE& type) const;
  HRESULT TryConnect(IPin* receiver, const AM_MEDIA_TYPE& type);
  HRESULT NegotiateAllocator();

  const GUID category_;
  std::vector<morvane::MediaType> types_;
  morvane::MediaType chosen_;  // set through SetFormat, empty majortype if none
  ComPtr<IMemInputPin> input_;
  ComPtr<IMemAllocator> allocator_;
  morvane::UniqueFile stop_event_;
  morvane::UniqueFile thread_;
  FaultPlan plan_;
  // Connected with Motion JPEG: its frames, made on the streaming thread.
  std::unique_ptr<JpegFrames> jpeg_;
  IMediaEventSink* events_ = nullptr;  // the graph's; not held (the graph holds us)
  volatile LONG dropped_ = 0;
  volatile LONG delivered_ = 0;
};

class CameraFilter final : public morvane::AlsoImplements<morvane::OnePinFilter, ISpecifyPropertyPages> {
 public:
  // Fails as a camera that cannot be opened when told to (fail_open).
  static HRESULT Create(REFIID iid, void** object);

  // ISpecifyPropertyPages: the camera's own page (camera_page.h), unless
  // told to have none.
  STDMETHODIMP GetPages(CAUUID* pages) override;

  // IBaseFilter: the preview pin, when there is one, then the capture pin.
  STDMETHODIMP EnumPins(IEnumPins** pins) override;
  STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;

  // IMediaFilter: a camera streams while running and rests otherwise.
  STDMETHODIMP Stop() override;
  STDMETHODIMP Pause() override;
  STDMETHODIMP Run(REFERENCE_TIME start) override;
  STDMETHODIMP GetState(DWORD timeout, FILTER_STATE* state) override;

 private:
  friend HRESULT CreateObject<CameraFilter>(REFIID, void**);
  CameraFilter();
  ~CameraFilter() override;
  IPin* Pin() override { return &pin_; }
  void* OtherInterface(REFIID iid) override;
  // The pins that take part in streaming: the capture pin always (it
  // fails unconnected), the preview pin when something is connected to it.
  std::vector<CameraPin*> StreamingPins();

  CameraPin pin_;
  std::unique_ptr<CameraPin> preview_;
};

}  // namespace testcamera
