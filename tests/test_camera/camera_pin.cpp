#include <evcode.h>

#include <cstring>

#include "camera_filter.h"
#include "camera_frames.h"
#include "directshow/enumerators.h"

namespace testcamera {
namespace {

struct LayoutType {
  Layout layout;
  const GUID* subtype;
};
const LayoutType kLayoutTypes[] = {
    {Layout::kYuy2, &MEDIASUBTYPE_YUY2},
    {Layout::kRgb24, &MEDIASUBTYPE_RGB24},
};

// A compressed type states its largest frame; each sample says how much of
// it one picture took.
morvane::MediaType MakeMjpgType(int width, int height) {
  morvane::MediaType shape = morvane::MakeVideoType(MEDIASUBTYPE_RGB24, width, height, kFrameTime);
  AM_MEDIA_TYPE type = shape.get();
  VIDEOINFOHEADER info = *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
  info.bmiHeader.biCompression = MEDIASUBTYPE_MJPG.Data1;
  type.subtype = MEDIASUBTYPE_MJPG;
  type.bFixedSizeSamples = FALSE;
  type.bTemporalCompression = FALSE;
  type.pbFormat = reinterpret_cast<BYTE*>(&info);
  return morvane::MediaType(type);
}

morvane::MediaType MakeType(Layout layout, const Size& size) {
  if (layout == Layout::kMjpg) return MakeMjpgType(size.width, size.height);
  for (const LayoutType& row : kLayoutTypes) {
    if (row.layout == layout) return morvane::MakeVideoType(*row.subtype, size.width, size.height, kFrameTime);
  }
  return morvane::MediaType();
}

std::int64_t Ticks() {
  LARGE_INTEGER value;
  ::QueryPerformanceCounter(&value);
  return value.QuadPart;
}

// The type a camera told to change its output (flip, relayout, shrink)
// sends from then on, derived from the connected one.
morvane::MediaType ChangedType(Fault fault, const morvane::SourceFrame& source) {
  const bool yuy2 = fault == Fault::kRelayout || source.layout == morvane::PixelLayout::kYuy2;
  const int scale = fault == Fault::kShrink ? 2 : 1;
  morvane::MediaType shape = morvane::MakeVideoType(yuy2 ? MEDIASUBTYPE_YUY2 : MEDIASUBTYPE_RGB24,
                                                    source.width / scale, source.height / scale, kFrameTime);
  if (fault != Fault::kFlip || yuy2) return shape;
  AM_MEDIA_TYPE type = shape.get();
  VIDEOINFOHEADER info = *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
  // The other way up from what was connected: a negative height is top-down.
  info.bmiHeader.biHeight = source.top_down ? source.height : -source.height;
  type.pbFormat = reinterpret_cast<BYTE*>(&info);
  return morvane::MediaType(type);
}

bool IsTypeChange(Fault fault) { return fault == Fault::kFlip || fault == Fault::kRelayout || fault == Fault::kShrink; }

// The bytes a sample of source takes: padded rows, unless told otherwise.
long SampleSize(const morvane::SourceFrame& source, const FaultPlan& plan) {
  if (plan.fault == Fault::kUnpadded && source.layout == morvane::PixelLayout::kRgb24) {
    return static_cast<long>(source.width) * 3 * source.height;
  }
  return static_cast<long>(morvane::SourceImageSize(source));
}

bool SameType(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
  return IsEqualGUID(a.majortype, b.majortype) && IsEqualGUID(a.subtype, b.subtype) &&
         IsEqualGUID(a.formattype, b.formattype) && a.cbFormat == b.cbFormat &&
         (a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0);
}

}  // namespace

CameraPin::CameraPin(CameraFilter& filter, const wchar_t* id, const GUID& category, const std::vector<Size>& sizes)
    : AlsoImplements(filter, PINDIR_OUTPUT, id), category_(category) {
  const std::vector<Layout> layouts = ReadFormatChoice();
  for (const Size& size : sizes) {
    if (size.one_layout) {
      types_.push_back(MakeType(size.layout, size));
      continue;
    }
    for (Layout layout : layouts) types_.push_back(MakeType(layout, size));
  }
}

CameraPin::~CameraPin() = default;

// The pin's interfaces beside IPin, as a table.
void* CameraPin::OtherInterface(REFIID iid) {
  struct Row {
    const IID* iid;
    void* object;
  };
  const Row rows[] = {
      {&IID_IAMStreamConfig, static_cast<IAMStreamConfig*>(this)},
      {&IID_IKsPropertySet, static_cast<IKsPropertySet*>(this)},
      {&IID_IAMDroppedFrames, static_cast<IAMDroppedFrames*>(this)},
  };
  for (const Row& row : rows) {
    if (IsEqualIID(iid, *row.iid)) return row.object;
  }
  return nullptr;
}

bool CameraPin::IsOurs(const AM_MEDIA_TYPE& type) const {
  for (const morvane::MediaType& ours : types_) {
    if (SameType(ours.get(), type)) return true;
  }
  return false;
}

STDMETHODIMP CameraPin::Connect(IPin* receiver, const AM_MEDIA_TYPE* type) {
  if (!receiver) return E_POINTER;
  if (connected_) return VFW_E_ALREADY_CONNECTED;
  if (filter_.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  return Guarded(E_OUTOFMEMORY, [&]() -> HRESULT {
    // A type the caller names (complete) or the one set through
    // IAMStreamConfig wins; otherwise our list in order.
    std::vector<const AM_MEDIA_TYPE*> candidates;
    if (type && !IsEqualGUID(type->formattype, GUID_NULL)) {
      if (!IsOurs(*type)) return VFW_E_TYPE_NOT_ACCEPTED;
      candidates.push_back(type);
    } else if (!IsEqualGUID(chosen_.get().majortype, GUID_NULL)) {
      candidates.push_back(&chosen_.get());
    } else {
      for (const morvane::MediaType& ours : types_) {
        if (!type || IsEqualGUID(type->subtype, GUID_NULL) || IsEqualGUID(type->subtype, ours.get().subtype)) {
          candidates.push_back(&ours.get());
        }
      }
    }
    for (const AM_MEDIA_TYPE* candidate : candidates) {
      if (SUCCEEDED(TryConnect(receiver, *candidate))) return S_OK;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
  });
}

HRESULT CameraPin::TryConnect(IPin* receiver, const AM_MEDIA_TYPE& type) {
  HRESULT hr = receiver->ReceiveConnection(this, &type);
  if (FAILED(hr)) return hr;
  SetConnection(receiver, type);
  hr = NegotiateAllocator();
  if (FAILED(hr)) {
    receiver->Disconnect();
    connected_.Reset();
    input_.Reset();
    allocator_.Reset();
    return hr;
  }
  return S_OK;
}

HRESULT CameraPin::NegotiateAllocator() {
  HRESULT hr = connected_.As(&input_);
  if (FAILED(hr)) return hr;
  ComPtr<IMemAllocator> allocator;
  if (FAILED(input_->GetAllocator(&allocator))) {
    hr = ::CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&allocator));
    if (FAILED(hr)) return hr;
  }
  ALLOCATOR_PROPERTIES wanted{};
  input_->GetAllocatorRequirements(&wanted);
  wanted.cBuffers = std::max<long>(wanted.cBuffers, kBuffers);
  wanted.cbBuffer = std::max<long>(wanted.cbBuffer, static_cast<long>(connected_type_.get().lSampleSize));
  if (wanted.cbAlign <= 0) wanted.cbAlign = 1;
  ALLOCATOR_PROPERTIES actual{};
  hr = allocator->SetProperties(&wanted, &actual);
  if (FAILED(hr)) return hr;
  if (actual.cbBuffer < static_cast<long>(connected_type_.get().lSampleSize)) return E_FAIL;
  hr = input_->NotifyAllocator(allocator.Get(), FALSE);
  if (FAILED(hr)) return hr;
  allocator_ = allocator;
  return S_OK;
}

void CameraPin::OnDisconnect() {
  input_.Reset();
  allocator_.Reset();
}

STDMETHODIMP CameraPin::QueryAccept(const AM_MEDIA_TYPE* type) {
  if (!type) return E_POINTER;
  return IsOurs(*type) ? S_OK : S_FALSE;
}

STDMETHODIMP CameraPin::EnumMediaTypes(IEnumMediaTypes** types) {
  return Guarded(E_OUTOFMEMORY, [&] { return morvane::MakeMediaTypeEnumerator(types_, types); });
}

STDMETHODIMP CameraPin::SetFormat(AM_MEDIA_TYPE* type) {
  if (filter_.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  return Guarded(E_OUTOFMEMORY, [&]() -> HRESULT {
    if (!type) {
      chosen_ = morvane::MediaType();  // back to the default order
      return S_OK;
    }
    if (!IsOurs(*type)) return VFW_E_INVALIDMEDIATYPE;
    if (connected_ && !SameType(connected_type_.get(), *type)) return VFW_E_ALREADY_CONNECTED;
    chosen_ = morvane::MediaType(*type);
    return S_OK;
  });
}

STDMETHODIMP CameraPin::GetFormat(AM_MEDIA_TYPE** type) {
  if (!type) return E_POINTER;
  const morvane::MediaType& current = connected_ ? connected_type_
                                      : !IsEqualGUID(chosen_.get().majortype, GUID_NULL) ? chosen_
                                                                                          : types_.front();
  *type = current.TaskCopy();
  return *type ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CameraPin::GetNumberOfCapabilities(int* count, int* size) {
  if (!count || !size) return E_POINTER;
  *count = static_cast<int>(types_.size());
  *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
  return S_OK;
}

STDMETHODIMP CameraPin::GetStreamCaps(int index, AM_MEDIA_TYPE** type, BYTE* caps) {
  if (!type || !caps) return E_POINTER;
  if (index < 0 || index >= static_cast<int>(types_.size())) return S_FALSE;
  const AM_MEDIA_TYPE& ours = types_[static_cast<size_t>(index)].get();
  int width = 0;
  int height = 0;
  morvane::VideoTypeSize(ours, width, height);
  VIDEO_STREAM_CONFIG_CAPS config{};
  config.guid = FORMAT_VideoInfo;
  config.InputSize = config.MinCroppingSize = config.MaxCroppingSize = {width, height};
  config.MinOutputSize = config.MaxOutputSize = {width, height};
  config.MinFrameInterval = config.MaxFrameInterval = kFrameTime;
  std::memcpy(caps, &config, sizeof(config));
  *type = types_[static_cast<size_t>(index)].TaskCopy();
  return *type ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CameraPin::Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CameraPin::Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD data_size, DWORD* returned) {
  if (!IsEqualGUID(set, AMPROPSETID_Pin)) return E_PROP_SET_UNSUPPORTED;
  if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
  if (!data) return E_POINTER;
  if (data_size < sizeof(GUID)) return E_UNEXPECTED;
  *static_cast<GUID*>(data) = category_;
  if (returned) *returned = sizeof(GUID);
  return S_OK;
}

STDMETHODIMP CameraPin::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
  if (!IsEqualGUID(set, AMPROPSETID_Pin)) return E_PROP_SET_UNSUPPORTED;
  if (id != AMPROPERTY_PIN_CATEGORY) return E_PROP_ID_UNSUPPORTED;
  if (support) *support = KSPROPERTY_SUPPORT_GET;
  return S_OK;
}

STDMETHODIMP CameraPin::GetNumDropped(long* dropped) {
  if (!dropped) return E_POINTER;
  *dropped = dropped_;
  return S_OK;
}

STDMETHODIMP CameraPin::GetNumNotDropped(long* delivered) {
  if (!delivered) return E_POINTER;
  *delivered = delivered_;
  return S_OK;
}

STDMETHODIMP CameraPin::GetDroppedInfo(long, long*, long*) { return E_NOTIMPL; }
STDMETHODIMP CameraPin::GetAverageFrameSize(long*) { return E_NOTIMPL; }

HRESULT CameraPin::Commit() {
  if (!allocator_) return VFW_E_NOT_CONNECTED;
  return allocator_->Commit();
}

void CameraPin::Decommit() {
  if (allocator_) allocator_->Decommit();
}

HRESULT CameraPin::StartStreaming(const FaultPlan& plan, IMediaEventSink* events) {
  if (!allocator_) return VFW_E_NOT_CONNECTED;
  if (thread_) return S_OK;
  plan_ = plan;
  events_ = events;
  stop_event_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!stop_event_) return HRESULT_FROM_WIN32(::GetLastError());
  thread_.reset(::CreateThread(nullptr, 0, &CameraPin::StreamThread, this, 0, nullptr));
  if (!thread_) return HRESULT_FROM_WIN32(::GetLastError());
  ::InterlockedIncrement(&g_streaming_pins);
  return S_OK;
}

void CameraPin::StopStreaming() {
  if (!thread_) return;
  ::SetEvent(stop_event_.get());
  // Decommitting wakes a GetBuffer that waits for a free sample; the
  // allocator is committed again on the next pause.
  if (allocator_) allocator_->Decommit();
  ::WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  ::InterlockedDecrement(&g_streaming_pins);
  if (filter_.state() != State_Stopped && allocator_) allocator_->Commit();
}

DWORD WINAPI CameraPin::StreamThread(void* self) {
  ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  static_cast<CameraPin*>(self)->Stream();
  ::CoUninitialize();
  return 0;
}

bool CameraPin::WaitForFrame(std::int64_t n, std::int64_t start_ticks, std::int64_t frequency) {
  const std::int64_t due = start_ticks + n * kFrameTime * frequency / 10000000;
  const std::int64_t now = Ticks();
  const DWORD wait = due > now ? static_cast<DWORD>((due - now) * 1000 / frequency) : 0;
  return ::WaitForSingleObject(stop_event_.get(), wait) == WAIT_TIMEOUT;
}

void CameraPin::Stream() {
  morvane::SourceFrame source;
  int width = 0;
  int height = 0;
  jpeg_.reset();
  if (morvane::DescribeMotionJpegType(connected_type_.get(), width, height)) {
    try {
      jpeg_ = std::make_unique<JpegFrames>(width, height);
    } catch (...) {
      return;  // no encoder: a camera that sends nothing
    }
    source = {morvane::PixelLayout::kRgb24, width, height, false};
  } else if (!morvane::DescribeVideoType(connected_type_.get(), source)) {
    return;
  }
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  const std::int64_t start = Ticks();
  for (std::int64_t n = 0;; ++n) {
    if (!WaitForFrame(n, start, frequency.QuadPart)) return;
    if (plan_.fault == Fault::kDrop) {
      if (n == plan_.after_frames) {
        ::InterlockedIncrement(&dropped_);
        continue;
      }
    } else if (plan_.fault == Fault::kHalfRate) {
      if (n % 2 != 0) continue;
    } else if ((plan_.fault == Fault::kStall || plan_.fault == Fault::kVanish) && n >= plan_.after_frames) {
      // An unplugged camera tells the graph once and goes quiet; a stalled
      // one just goes quiet.
      if (plan_.fault == Fault::kVanish && events_) {
        events_->Notify(EC_DEVICE_LOST, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(&filter_)), 0);
      }
      ::WaitForSingleObject(stop_event_.get(), INFINITE);
      return;
    }
    IMediaSample* sample = nullptr;
    if (FAILED(allocator_->GetBuffer(&sample, nullptr, nullptr, 0))) return;
    // A changed type goes with the first sample in it, as DirectShow has
    // it; the sink is not asked first, as some drivers do not.
    if (IsTypeChange(plan_.fault) && n == plan_.after_frames) {
      const morvane::MediaType changed = ChangedType(plan_.fault, source);
      morvane::DescribeVideoType(changed.get(), source);
      sample->SetMediaType(const_cast<AM_MEDIA_TYPE*>(&changed.get()));
    }
    Deliver(sample, source, n);
    sample->Release();
  }
}

void CameraPin::Deliver(IMediaSample* sample, const morvane::SourceFrame& source, std::int64_t n) {
  BYTE* bits = nullptr;
  long size = SampleSize(source, plan_);
  if (FAILED(sample->GetPointer(&bits)) || sample->GetSize() < static_cast<long>(morvane::SourceImageSize(source))) {
    return;
  }
  if (jpeg_) {
    size = jpeg_->Write(n, bits, sample->GetSize());
    if (plan_.fault == Fault::kCut && n == plan_.after_frames) size /= 2;
  } else {
    PaintFrame(source, n, bits);
  }
  if (!jpeg_ && size < static_cast<long>(morvane::SourceImageSize(source))) {
    // Rows packed without their padding.
    const size_t stride = morvane::SourceStride(source);
    const size_t row = static_cast<size_t>(source.width) * 3;
    for (int y = 1; y < source.height; ++y) std::memmove(bits + y * row, bits + y * stride, row);
  }
  sample->SetActualDataLength(size);
  if (plan_.fault != Fault::kNoTimes) {
    REFERENCE_TIME begin = n * kFrameTime;
    REFERENCE_TIME end = begin + kFrameTime;
    sample->SetTime(&begin, &end);
  }
  sample->SetSyncPoint(TRUE);
  input_->Receive(sample);
  ::InterlockedIncrement(&delivered_);
}

}  // namespace testcamera
