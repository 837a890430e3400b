#include "camera_filter.h"

#include "camera_page.h"

namespace testcamera {

// {943C6F53-3B13-4EE6-B095-BCAC802B536F}
const CLSID kTestCameraClsid = {0x943c6f53, 0x3b13, 0x4ee6, {0xb0, 0x95, 0xbc, 0xac, 0x80, 0x2b, 0x53, 0x6f}};
const wchar_t kTestCameraName[] = L"Morvane Test Camera";
LONG g_module_references = 0;
LONG g_streaming_pins = 0;

namespace {
const wchar_t kPinId[] = L"Capture";
}

HRESULT CameraFilter::Create(REFIID iid, void** object) {
  if (ReadFaultPlan().fault == Fault::kFailOpen) {
    if (object) *object = nullptr;
    return HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
  }
  return CreateObject<CameraFilter>(iid, object);
}

CameraFilter::CameraFilter() : AlsoImplements(kTestCameraClsid, kPinId), pin_(*this) { ::InterlockedIncrement(&g_module_references); }

CameraFilter::~CameraFilter() {
  pin_.StopStreaming();
  pin_.Decommit();
  ::InterlockedDecrement(&g_module_references);
}

void* CameraFilter::OtherInterface(REFIID iid) {
  return IsEqualIID(iid, IID_ISpecifyPropertyPages) ? static_cast<ISpecifyPropertyPages*>(this) : nullptr;
}

STDMETHODIMP CameraFilter::GetPages(CAUUID* pages) {
  if (!pages) return E_POINTER;
  *pages = {};
  if (!ReadPagesOffered()) return S_OK;
  pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(GUID)));
  if (!pages->pElems) return E_OUTOFMEMORY;
  pages->pElems[0] = kCameraPageClsid;
  pages->cElems = 1;
  return S_OK;
}

STDMETHODIMP CameraFilter::Stop() {
  pin_.StopStreaming();
  pin_.Decommit();
  state_ = State_Stopped;
  return S_OK;
}

STDMETHODIMP CameraFilter::Pause() {
  if (state_ == State_Running) pin_.StopStreaming();
  if (state_ == State_Stopped) {
    // A camera that cannot start says so when the graph first pauses.
    if (ReadFaultPlan().fault == Fault::kFailStart) return VFW_E_NO_CAPTURE_HARDWARE;
    const HRESULT hr = pin_.Commit();
    if (FAILED(hr)) return hr;
  }
  state_ = State_Paused;
  // A live source has nothing to cue while paused.
  return VFW_S_CANT_CUE;
}

STDMETHODIMP CameraFilter::Run(REFERENCE_TIME) {
  if (state_ == State_Stopped) {
    const HRESULT hr = Pause();
    if (FAILED(hr)) return hr;
  }
  if (state_ == State_Running) return S_OK;
  IMediaEventSink* events = nullptr;
  if (graph()) {
    // Held only for the call: the graph outlives our streaming.
    ComPtr<IMediaEventSink> sink;
    if (SUCCEEDED(graph()->QueryInterface(IID_PPV_ARGS(&sink)))) events = sink.Get();
  }
  const HRESULT hr = pin_.StartStreaming(ReadFaultPlan(), events);
  if (FAILED(hr)) return hr;
  state_ = State_Running;
  return S_OK;
}

STDMETHODIMP CameraFilter::GetState(DWORD, FILTER_STATE* state) {
  if (!state) return E_POINTER;
  *state = state_;
  return state_ == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

}  // namespace testcamera
