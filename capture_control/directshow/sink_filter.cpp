#include "directshow/sink_filter.h"

#include <algorithm>
#include <new>

#include "basics/com_object.h"
#include "directshow/enumerators.h"
#include "guard.h"
#include "module.h"

namespace morvane {
namespace {

const wchar_t kPinId[] = L"In";
// Frames the queue holds for the control's thread: enough to ride out a
// busy moment of the host (a repaint, an event handler) at 30 frames a
// second.
constexpr int kQueueSlots = 8;

// {4F0E6C1B-8E0A-4C8C-9C4E-6A2B7D1F3E51}: ours, never registered; the graph
// only asks for it.
const CLSID kSinkClsid = {0x4f0e6c1b, 0x8e0a, 0x4c8c, {0x9c, 0x4e, 0x6a, 0x2b, 0x7d, 0x1f, 0x3e, 0x51}};

// The graph calls us on its own threads, where nobody reads IErrorInfo: a
// failure goes to the debugger output and the graph gets its HRESULT.
template <typename Body>
HRESULT Guarded(HRESULT fallback, Body&& body) noexcept {
  return Guard<HRESULT>(fallback, body, [](const Failure& failure) {
    LogFailure(L"sink filter", failure);
    return failure.scode;
  });
}

}  // namespace

SinkPin::SinkPin(SinkFilter& filter, std::shared_ptr<FrameQueue> queue)
    : AlsoImplements(filter, PINDIR_INPUT, kPinId), queue_(std::move(queue)) {}

void* SinkPin::OtherInterface(REFIID iid) {
  return IsEqualIID(iid, IID_IMemInputPin) ? static_cast<IMemInputPin*>(this) : nullptr;
}

STDMETHODIMP SinkPin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) {
  if (!connector || !type) return E_POINTER;
  if (connected_) return VFW_E_ALREADY_CONNECTED;
  if (filter_.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  if (QueryAccept(type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
  return Guarded(E_OUTOFMEMORY, [&] {
    SourceFrame source;
    int width = 0;
    int height = 0;
    const bool compressed = DescribeMotionJpegType(*type, width, height);
    // The ring is made here, once per connection, so that streaming never
    // allocates.
    if (compressed) {
      source = SourceFrame{PixelLayout::kRgb24, width, height, false};
      queue_->ConfigureCompressed(width, height, kQueueSlots);
    } else {
      DescribeVideoType(*type, source);
      queue_->Configure(source, kQueueSlots);
    }
    SetConnection(connector, *type);
    source_ = source;
    compressed_ = compressed;
    return S_OK;
  });
}

STDMETHODIMP SinkPin::QueryAccept(const AM_MEDIA_TYPE* type) {
  if (!type) return E_POINTER;
  int width = 0;
  int height = 0;
  if (DescribeMotionJpegType(*type, width, height)) {
    // Samples kept as they come: once connected, only more of the same.
    if (!connected_) return S_OK;
    return compressed_ && width == source_.width && height == source_.height ? S_OK : S_FALSE;
  }
  SourceFrame source;
  if (!DescribeVideoType(*type, source)) return S_FALSE;
  if (connected_ && compressed_) return S_FALSE;
  // Once connected, the ring holds frames of the connected size: another
  // layout or orientation at that size is followed, another size is not.
  if (connected_ && (source.width != source_.width || source.height != source_.height)) return S_FALSE;
  FrameFormat target;
  target.width = source.width;
  target.height = source.height;
  return CanConvert(source, target) ? S_OK : S_FALSE;
}

STDMETHODIMP SinkPin::EnumMediaTypes(IEnumMediaTypes** types) {
  // No preferred type: the upstream pin proposes, we accept or refuse.
  return Guarded(E_OUTOFMEMORY, [&] { return MakeMediaTypeEnumerator({}, types); });
}

STDMETHODIMP SinkPin::EndOfStream() { return S_OK; }

STDMETHODIMP SinkPin::BeginFlush() {
  flushing_ = true;
  queue_->Clear();
  return S_OK;
}

STDMETHODIMP SinkPin::EndFlush() {
  flushing_ = false;
  return S_OK;
}

STDMETHODIMP SinkPin::GetAllocator(IMemAllocator**) { return VFW_E_NO_ALLOCATOR; }
STDMETHODIMP SinkPin::NotifyAllocator(IMemAllocator* allocator, BOOL) { return allocator ? S_OK : E_POINTER; }
STDMETHODIMP SinkPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

STDMETHODIMP SinkPin::Receive(IMediaSample* sample) {
  if (!sample) return E_POINTER;
  if (filter_.state() == State_Stopped) return VFW_E_WRONG_STATE;
  if (flushing_) return S_FALSE;
  // A sample that changes the type applies it to itself and every sample
  // after it. The queue converts from the new layout from now on, or, for a
  // size it cannot follow, takes nothing more and says so.
  AM_MEDIA_TYPE* changed = nullptr;
  if (sample->GetMediaType(&changed) == S_OK && changed) {
    TaskMediaType owned(changed);
    int width = 0;
    int height = 0;
    const bool same_jpeg = compressed_ && DescribeMotionJpegType(*owned, width, height) && width == source_.width &&
                           height == source_.height;
    SourceFrame source;
    if (!same_jpeg && (compressed_ || !DescribeVideoType(*owned, source) || !queue_->ChangeSource(source))) {
      if (compressed_) queue_->ChangeSource(source);  // marks the queue broken: the capture says why
      return VFW_E_TYPE_NOT_ACCEPTED;
    }
  }
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data))) return S_OK;
  // A length beyond the buffer is the upstream filter's mistake; we read
  // no further than the buffer goes.
  const long length = std::min(sample->GetActualDataLength(), sample->GetSize());
  REFERENCE_TIME start = -1;
  REFERENCE_TIME stop = 0;
  if (FAILED(sample->GetTime(&start, &stop))) start = -1;
  queue_->Push(data, length > 0 ? static_cast<size_t>(length) : 0, start);
  return S_OK;
}

STDMETHODIMP SinkPin::ReceiveMultiple(IMediaSample** samples, long count, long* processed) {
  if (!samples || !processed) return E_POINTER;
  *processed = 0;
  for (long i = 0; i < count; ++i) {
    const HRESULT hr = Receive(samples[i]);
    if (hr != S_OK) return hr;
    ++*processed;
  }
  return S_OK;
}

STDMETHODIMP SinkPin::ReceiveCanBlock() { return S_FALSE; }

// The graph holds the sink and may release it after the control that made
// it is gone (its own threads, a host that releases late at exit): while it
// lives, our DLL must not be unloaded under it.
SinkFilter::SinkFilter(std::shared_ptr<FrameQueue> queue)
    : OnePinFilter(kSinkClsid, kPinId), pin_(*this, std::move(queue)) {
  ObjectCreated();
}

SinkFilter::~SinkFilter() { ObjectDestroyed(); }

Microsoft::WRL::ComPtr<SinkFilter> SinkFilter::Create(std::shared_ptr<FrameQueue> queue) {
  return basics::Adopt(new SinkFilter(std::move(queue)));
}

STDMETHODIMP SinkFilter::Stop() {
  state_ = State_Stopped;
  return S_OK;
}

STDMETHODIMP SinkFilter::Pause() {
  state_ = State_Paused;
  return S_OK;
}

STDMETHODIMP SinkFilter::Run(REFERENCE_TIME) {
  state_ = State_Running;
  return S_OK;
}

STDMETHODIMP SinkFilter::GetState(DWORD, FILTER_STATE* state) {
  if (!state) return E_POINTER;
  *state = state_;
  return S_OK;
}

}  // namespace morvane
