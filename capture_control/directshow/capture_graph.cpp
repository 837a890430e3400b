#include "directshow/capture_graph.h"

#include <evcode.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/capture_error.h"
#include "directshow/sink_filter.h"
#include "messages.h"

namespace morvane {
namespace {

using Microsoft::WRL::ComPtr;

// How many compressed types we try: each one may make the graph builder
// load and try every decoder there is. Uncompressed types are cheap to
// refuse and are all tried.
constexpr size_t kMaxCompressedTries = 4;

// The host hears a Win32 code as the HRESULT; DirectShow's own codes
// (VFW_E_*) would read as unrelated Win32 errors once wrapped.
[[noreturn]] void ThrowDeviceError(const wchar_t* text, DWORD code) {
  throw CaptureError(CaptureErrorKind::kDeviceFailed, text, code);
}

ComPtr<IBaseFilter> BindDevice(IMoniker* moniker) {
  ComPtr<IBaseFilter> filter;
  const HRESULT hr = moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter));
  if (FAILED(hr)) ThrowDeviceError(UiText(TextId::kDeviceCannotOpen), ERROR_DEVICE_NOT_CONNECTED);
  return filter;
}

// The stream configuration of the pin RenderStream connects: the capture
// pin, found by its category (a device may list a preview or still pin
// with IAMStreamConfig before it). A device whose pins name no category
// has its first output pin that answers IAMStreamConfig taken instead.
ComPtr<IAMStreamConfig> StreamConfig(ICaptureGraphBuilder2* builder, IBaseFilter* filter) {
  ComPtr<IAMStreamConfig> found;
  if (SUCCEEDED(builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, filter, IID_IAMStreamConfig,
                                       reinterpret_cast<void**>(found.GetAddressOf())))) {
    return found;
  }
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(&pins))) return nullptr;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
    PIN_DIRECTION direction;
    if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) continue;
    ComPtr<IAMStreamConfig> config;
    if (SUCCEEDED(pin.As(&config))) return config;
  }
  return nullptr;
}

std::vector<MediaType> ReadTypes(IAMStreamConfig* config) {
  std::vector<MediaType> types;
  int count = 0;
  int size = 0;
  if (FAILED(config->GetNumberOfCapabilities(&count, &size)) || size != sizeof(VIDEO_STREAM_CONFIG_CAPS)) {
    return types;
  }
  for (int i = 0; i < count; ++i) {
    VIDEO_STREAM_CONFIG_CAPS caps{};
    AM_MEDIA_TYPE* raw = nullptr;
    if (config->GetStreamCaps(i, &raw, reinterpret_cast<BYTE*>(&caps)) != S_OK || !raw) continue;
    TaskMediaType type(raw);
    int width = 0;
    int height = 0;
    if (IsEqualGUID(type->majortype, MEDIATYPE_Video) && VideoTypeSize(*type, width, height)) {
      types.emplace_back(*type);
    }
  }
  return types;
}

bool Convertible(const MediaType& type) {
  SourceFrame source;
  if (!DescribeVideoType(type.get(), source)) return false;
  FrameFormat target;
  target.width = source.width;
  target.height = source.height;
  return CanConvert(source, target);
}

// Stops each filter of the graph directly. A graph whose Run failed half
// way (a device that refuses to pause) may still count itself stopped and
// leave the filters that did pause running; Wine's graph then cannot
// remove them when it is released and never returns.
void StopEveryFilter(IGraphBuilder* graph) {
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(&filters))) return;
  ComPtr<IBaseFilter> filter;
  while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) filter->Stop();
}

}  // namespace

std::vector<MediaType> DeviceMediaTypes(IMoniker* moniker) {
  ComPtr<IBaseFilter> filter = BindDevice(moniker);
  // The builder finds the capture pin of a filter in its graph only.
  ComPtr<IGraphBuilder> graph;
  ComPtr<ICaptureGraphBuilder2> builder;
  if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph))) ||
      FAILED(::CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&builder))) ||
      FAILED(builder->SetFiltergraph(graph.Get())) || FAILED(graph->AddFilter(filter.Get(), L"Capture device"))) {
    ThrowDeviceError(UiText(TextId::kDeviceCannotOpen), ERROR_DEVICE_NOT_CONNECTED);
  }
  ComPtr<IAMStreamConfig> config = StreamConfig(builder.Get(), filter.Get());
  std::vector<MediaType> types = config ? ReadTypes(config.Get()) : std::vector<MediaType>{};
  graph->RemoveFilter(filter.Get());
  return types;
}

std::vector<const MediaType*> RankTypes(const std::vector<MediaType>& types, int width, int height,
                                        const GUID& preferred) {
  struct Ranked {
    int tier;
    long long distance;
    size_t order;
    const MediaType* type;
  };
  std::vector<Ranked> ranked;
  for (size_t i = 0; i < types.size(); ++i) {
    int w = 0;
    int h = 0;
    if (!VideoTypeSize(types[i].get(), w, h)) continue;
    const bool exact = w == width && h == height;
    const bool ours = Convertible(types[i]);
    const bool chosen = exact && IsEqualGUID(types[i].get().subtype, preferred);
    const int tier = chosen ? 0 : exact && ours ? 1 : exact ? 2 : ours ? 3 : 4;
    const long long distance = std::llabs(static_cast<long long>(w) * h - static_cast<long long>(width) * height);
    ranked.push_back({tier, distance, i, &types[i]});
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    return a.tier != b.tier ? a.tier < b.tier : a.distance < b.distance;
  });
  std::vector<const MediaType*> order;
  for (const Ranked& r : ranked) order.push_back(r.type);
  return order;
}

CaptureGraph::CaptureGraph(IMoniker* moniker, const FrameFormat& wanted, const GUID& preferred,
                           std::shared_ptr<FrameQueue> queue)
    : queue_(std::move(queue)) {
  const std::vector<MediaType> types = DeviceMediaTypes(moniker);
  std::vector<const MediaType*> ranked = RankTypes(types, wanted.width, wanted.height, preferred);
  // A device that lists no types still gets one try with its default.
  if (ranked.empty()) ranked.push_back(nullptr);
  bool connected = false;
  size_t compressed_tries = 0;
  for (const MediaType* type : ranked) {
    if (type && !Convertible(*type) && ++compressed_tries > kMaxCompressedTries) continue;
    source_ = BindDevice(moniker);
    if (TryConnect(type)) {
      connected = true;
      break;
    }
  }
  if (!connected) ThrowDeviceError(UiText(TextId::kDeviceNoUsableFormat), ERROR_NOT_SUPPORTED);

  control_.Reset();
  HRESULT hr = graph_.As(&control_);
  // MinGW's headers give IMediaEventEx no __uuidof.
  if (SUCCEEDED(hr)) hr = graph_->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(events_.GetAddressOf()));
  if (SUCCEEDED(hr)) hr = events_->GetEventHandle(reinterpret_cast<OAEVENT*>(&event_handle_));
  if (FAILED(hr)) ThrowDeviceError(UiText(TextId::kDeviceWillNotRun), ERROR_NOT_READY);
  // Run may finish asynchronously (S_FALSE); a live source then answers
  // GetState with VFW_S_CANT_CUE, which is as good as running.
  running_ = true;
  hr = control_->Run();
  if (hr == S_FALSE) {
    OAFilterState state = State_Stopped;
    hr = control_->GetState(kGraphStateTimeoutMs, &state);
    if (hr == VFW_S_STATE_INTERMEDIATE) hr = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
  }
  if (FAILED(hr)) {
    control_->Stop();
    StopEveryFilter(graph_.Get());
    running_ = false;
    ThrowDeviceError(UiText(TextId::kDeviceWillNotRun), ERROR_NOT_READY);
  }
}

bool CaptureGraph::TryConnect(const MediaType* type) {
  graph_.Reset();
  builder_.Reset();
  sink_.Reset();
  if (FAILED(::CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph_))) ||
      FAILED(::CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&builder_))) ||
      FAILED(builder_->SetFiltergraph(graph_.Get()))) {
    return false;
  }
  if (FAILED(graph_->AddFilter(source_.Get(), L"Capture device"))) return false;
  // Assigned, never attached: MinGW's Attach adds a reference, and each
  // graph's sink would outlive it with its ring of frames.
  const ComPtr<SinkFilter> sink = SinkFilter::Create(queue_);
  sink_ = sink;
  if (FAILED(graph_->AddFilter(sink_.Get(), L"Morvane sink"))) return false;
  if (type) {
    ComPtr<IAMStreamConfig> config = StreamConfig(builder_.Get(), source_.Get());
    if (!config || FAILED(config->SetFormat(const_cast<AM_MEDIA_TYPE*>(&type->get())))) return false;
  }
  // Intelligent connect: a compressed type gets the system's decoder in
  // between, which offers our sink one of the layouts it takes.
  if (FAILED(builder_->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, source_.Get(), nullptr, sink_.Get()))) {
    return false;
  }
  if (!sink->pin().connected()) return false;
  const SourceFrame& source = sink->pin().source();
  format_.width = source.width;
  format_.height = source.height;
  format_.bits_per_pixel = 24;
  AM_MEDIA_TYPE connected{};
  frame_time_ = 0;
  if (SUCCEEDED(sink->pin().ConnectionMediaType(&connected))) {
    frame_time_ = VideoFrameTime(connected);
    FreeMediaTypeContents(connected);
  }
  if (frame_time_ == 0 && type) frame_time_ = VideoFrameTime(type->get());
  return true;
}

CaptureGraph::~CaptureGraph() {
  if (control_ && running_) {
    // Stop is synchronous in DirectShow: the source joins its streaming
    // thread, which our sink never blocks.
    control_->Stop();
    OAFilterState state;
    control_->GetState(kGraphStateTimeoutMs, &state);
  }
  if (graph_) StopEveryFilter(graph_.Get());
  if (events_) {
    long code;
    LONG_PTR first;
    LONG_PTR second;
    while (events_->GetEvent(&code, &first, &second, 0) == S_OK) events_->FreeEventParams(code, first, second);
  }
}

bool CaptureGraph::PollLost() {
  if (!events_) return lost_;
  long code;
  LONG_PTR first;
  LONG_PTR second;
  while (events_->GetEvent(&code, &first, &second, 0) == S_OK) {
    // EC_DEVICE_LOST's second parameter is 0 for a removal, 1 for a return.
    if ((code == EC_DEVICE_LOST && second == 0) || code == EC_ERRORABORT || code == EC_ERRORABORTEX) lost_ = true;
    events_->FreeEventParams(code, first, second);
  }
  return lost_;
}

long CaptureGraph::DeviceDropped() const {
  if (!builder_ || !source_) return 0;
  ComPtr<IAMDroppedFrames> dropped;
  if (FAILED(builder_->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video, source_.Get(), IID_IAMDroppedFrames,
                                     reinterpret_cast<void**>(dropped.GetAddressOf())))) {
    return 0;
  }
  long count = 0;
  return SUCCEEDED(dropped->GetNumDropped(&count)) && count > 0 ? count : 0;
}

}  // namespace morvane
