#include "camera_filter.h"

#include <cwchar>

#include "camera_page.h"
#include "directshow/enumerators.h"

namespace testcamera {

// {943C6F53-3B13-4EE6-B095-BCAC802B536F}
const CLSID kTestCameraClsid = {0x943c6f53, 0x3b13, 0x4ee6, {0xb0, 0x95, 0xbc, 0xac, 0x80, 0x2b, 0x53, 0x6f}};
const wchar_t kTestCameraName[] = L"Morvane Test Camera";
LONG g_module_references = 0;
LONG g_streaming_pins = 0;

namespace {
const wchar_t kPinId[] = L"Capture";
const wchar_t kPreviewPinId[] = L"Preview";
}

HRESULT CameraFilter::Create(REFIID iid, void** object) {
  if (ReadFaultPlan().fault == Fault::kFailOpen) {
    if (object) *object = nullptr;
    return HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
  }
  // Making the pins' lists of types may run out of memory.
  return Guarded(E_OUTOFMEMORY, [&] { return CreateObject<CameraFilter>(iid, object); });
}

CameraFilter::CameraFilter()
    : AlsoImplements(kTestCameraClsid, kPinId), pin_(*this, kPinId, PIN_CATEGORY_CAPTURE, ReadSizeChoice()) {
  const std::vector<Size> preview = ReadPreviewSizes();
  if (!preview.empty()) preview_ = std::make_unique<CameraPin>(*this, kPreviewPinId, PIN_CATEGORY_PREVIEW, preview);
  ::InterlockedIncrement(&g_module_references);
}

CameraFilter::~CameraFilter() {
  for (CameraPin* pin : {&pin_, preview_.get()}) {
    if (!pin) continue;
    pin->StopStreaming();
    pin->Decommit();
  }
  ::InterlockedDecrement(&g_module_references);
}

STDMETHODIMP CameraFilter::EnumPins(IEnumPins** pins) {
  return Guarded(E_OUTOFMEMORY, [&] {
    std::vector<ComPtr<IPin>> list;
    if (preview_) list.emplace_back(preview_.get());
    list.emplace_back(&pin_);
    return morvane::MakePinEnumerator(std::move(list), pins);
  });
}

STDMETHODIMP CameraFilter::FindPin(LPCWSTR id, IPin** pin) {
  if (!id || !pin) return E_POINTER;
  *pin = nullptr;
  if (preview_ && std::wcscmp(id, kPreviewPinId) == 0) {
    *pin = preview_.get();
  } else if (std::wcscmp(id, kPinId) == 0) {
    *pin = &pin_;
  } else {
    return VFW_E_NOT_FOUND;
  }
  (*pin)->AddRef();
  return S_OK;
}

std::vector<CameraPin*> CameraFilter::StreamingPins() {
  std::vector<CameraPin*> pins = {&pin_};
  if (preview_ && preview_->connected()) pins.push_back(preview_.get());
  return pins;
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
  return Guarded(E_OUTOFMEMORY, [&] {
    for (CameraPin* pin : StreamingPins()) {
      pin->StopStreaming();
      pin->Decommit();
    }
    state_ = State_Stopped;
    return S_OK;
  });
}

STDMETHODIMP CameraFilter::Pause() {
  return Guarded(E_OUTOFMEMORY, [&] {
    if (state_ == State_Running) {
      for (CameraPin* pin : StreamingPins()) pin->StopStreaming();
    }
    if (state_ == State_Stopped) {
      // A camera that cannot start says so when the graph first pauses.
      if (ReadFaultPlan().fault == Fault::kFailStart) return VFW_E_NO_CAPTURE_HARDWARE;
      for (CameraPin* pin : StreamingPins()) {
        const HRESULT hr = pin->Commit();
        if (FAILED(hr)) return hr;
      }
    }
    state_ = State_Paused;
    // A live source has nothing to cue while paused.
    return VFW_S_CANT_CUE;
  });
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
  return Guarded(E_OUTOFMEMORY, [&] {
    const FaultPlan plan = ReadFaultPlan();
    for (CameraPin* pin : StreamingPins()) {
      const HRESULT hr = pin->StartStreaming(plan, events);
      if (FAILED(hr)) return hr;
    }
    state_ = State_Running;
    return S_OK;
  });
}

STDMETHODIMP CameraFilter::GetState(DWORD, FILTER_STATE* state) {
  if (!state) return E_POINTER;
  *state = state_;
  return state_ == State_Paused ? VFW_S_CANT_CUE : S_OK;
}

}  // namespace testcamera
