#include "camera_filter.h"

#include <cwchar>
#include <new>

#include "directshow/enumerators.h"

namespace testcamera {

// {943C6F53-3B13-4EE6-B095-BCAC802B536F}
const CLSID kTestCameraClsid = {0x943c6f53, 0x3b13, 0x4ee6, {0xb0, 0x95, 0xbc, 0xac, 0x80, 0x2b, 0x53, 0x6f}};
const wchar_t kTestCameraName[] = L"Morvane Test Camera";
LONG g_module_references = 0;

namespace {
const wchar_t kPinId[] = L"Capture";
}

CameraFilter::CameraFilter() : pin_(*this) { ::InterlockedIncrement(&g_module_references); }

CameraFilter::~CameraFilter() {
  pin_.StopStreaming();
  pin_.Decommit();
  ::InterlockedDecrement(&g_module_references);
}

HRESULT CameraFilter::Create(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  CameraFilter* filter = new (std::nothrow) CameraFilter();
  if (!filter) return E_OUTOFMEMORY;
  const HRESULT hr = filter->QueryInterface(iid, object);
  filter->Release();
  return hr;
}

STDMETHODIMP CameraFilter::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IMediaFilter) ||
      IsEqualIID(iid, IID_IBaseFilter)) {
    *object = static_cast<IBaseFilter*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CameraFilter::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) CameraFilter::Release() {
  const LONG left = ::InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP CameraFilter::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = kTestCameraClsid;
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
  if (graph_) {
    // Held only for the call: the graph outlives our streaming.
    ComPtr<IMediaEventSink> sink;
    if (SUCCEEDED(graph_->QueryInterface(IID_PPV_ARGS(&sink)))) events = sink.Get();
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

STDMETHODIMP CameraFilter::SetSyncSource(IReferenceClock* clock) {
  clock_ = clock;
  return S_OK;
}

STDMETHODIMP CameraFilter::GetSyncSource(IReferenceClock** clock) {
  if (!clock) return E_POINTER;
  *clock = clock_.Get();
  if (*clock) (*clock)->AddRef();
  return S_OK;
}

STDMETHODIMP CameraFilter::EnumPins(IEnumPins** pins) {
  return Guarded(E_OUTOFMEMORY, [&] {
    return morvane::MakePinEnumerator({ComPtr<IPin>(static_cast<IPin*>(&pin_))}, pins);
  });
}

STDMETHODIMP CameraFilter::FindPin(LPCWSTR id, IPin** pin) {
  if (!id || !pin) return E_POINTER;
  *pin = nullptr;
  if (std::wcscmp(id, kPinId) != 0) return VFW_E_NOT_FOUND;
  *pin = &pin_;
  pin_.AddRef();
  return S_OK;
}

STDMETHODIMP CameraFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (!info) return E_POINTER;
  *info = {};
  std::wcsncpy(info->achName, name_.c_str(), MAX_FILTER_NAME - 1);
  info->pGraph = graph_;
  if (graph_) graph_->AddRef();
  return S_OK;
}

STDMETHODIMP CameraFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
  return Guarded(E_OUTOFMEMORY, [&] {
    graph_ = graph;
    name_ = name ? name : L"";
    return S_OK;
  });
}

STDMETHODIMP CameraFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

}  // namespace testcamera
