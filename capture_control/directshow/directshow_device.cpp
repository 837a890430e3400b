#include "directshow/directshow_device.h"

#include <olectl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "core/capture_error.h"
#include "messages.h"

namespace morvane {
namespace {

using Microsoft::WRL::ComPtr;


// A camera that sends nothing for this long (or ten frame times, if
// longer) has stalled: the preview stops and says so, as the capture does.
constexpr DWORD kStallMs = 2000;

struct SubtypeName {
  const GUID* subtype;
  const wchar_t* name;
};
const SubtypeName kSubtypeNames[] = {
    {&MEDIASUBTYPE_RGB24, L"RGB24"}, {&MEDIASUBTYPE_RGB32, L"RGB32"}, {&MEDIASUBTYPE_YUY2, L"YUY2"},
    {&MEDIASUBTYPE_YUYV, L"YUYV"},   {&MEDIASUBTYPE_UYVY, L"UYVY"},   {&MEDIASUBTYPE_MJPG, L"MJPG"},
};

std::wstring SubtypeText(const GUID& subtype) {
  for (const SubtypeName& row : kSubtypeNames) {
    if (IsEqualGUID(*row.subtype, subtype)) return row.name;
  }
  // A FOURCC subtype carries its code in the first field.
  wchar_t code[5] = {};
  for (int i = 0; i < 4; ++i) {
    const wchar_t c = static_cast<wchar_t>((subtype.Data1 >> (8 * i)) & 0xFF);
    code[i] = c >= 0x20 && c < 0x7F ? c : L'?';
  }
  return code;
}

}  // namespace

DirectShowDevice::DirectShowDevice(VideoInputDevice device)
    : device_(std::move(device)), queue_(std::make_shared<FrameQueue>()) {}

DirectShowDevice::~DirectShowDevice() = default;

void DirectShowDevice::SetMissing(bool missing) {
  missing_ = missing;
  if (missing) graph_.reset();
}

void DirectShowDevice::ThrowMissing() const {
  throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kDeviceMissing), ERROR_DEVICE_NOT_CONNECTED);
}

void DirectShowDevice::LoadTypes() const {
  if (types_loaded_) return;
  types_loaded_ = true;
  try {
    types_ = DeviceMediaTypes(device_.moniker.Get());
  } catch (const CaptureError&) {
    types_.clear();  // the format dialog then offers what the device had nothing of
  }
  for (const MediaType& type : types_) {
    int width = 0;
    int height = 0;
    VideoTypeSize(type.get(), width, height);
    sizes_.push_back({width, height});
  }
}

const std::vector<FrameSize>& DirectShowDevice::Sizes() const {
  LoadTypes();
  return sizes_;
}

std::vector<std::wstring> DirectShowDevice::FormatLabels() const {
  LoadTypes();
  std::vector<std::wstring> labels;
  for (const MediaType& type : types_) {
    int width = 0;
    int height = 0;
    VideoTypeSize(type.get(), width, height);
    std::wstring label = std::to_wstring(width) + L" x " + std::to_wstring(height) + L"  " + SubtypeText(type.get().subtype);
    const REFERENCE_TIME frame_time = VideoFrameTime(type.get());
    if (frame_time > 0) label += L"  " + std::to_wstring((10000000 + frame_time / 2) / frame_time) + L" fps";
    labels.push_back(std::move(label));
  }
  return labels;
}

bool DirectShowDevice::HasSourceDialog() const {
  if (has_pages_ < 0) {
    has_pages_ = 0;
    ComPtr<IBaseFilter> filter;
    ComPtr<ISpecifyPropertyPages> pages;
    CAUUID ids{};
    if (!missing_ && SUCCEEDED(device_.moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter))) &&
        SUCCEEDED(filter.As(&pages)) && SUCCEEDED(pages->GetPages(&ids))) {
      has_pages_ = ids.cElems > 0 ? 1 : 0;
      ::CoTaskMemFree(ids.pElems);
    }
  }
  return has_pages_ == 1;
}

bool DirectShowDevice::ShowPropertyPages(HWND owner) {
  if (missing_) ThrowMissing();
  // Every failure here is the device's: the host hears it with its HRESULT,
  // rather than a dialog with nothing in it.
  const auto fail = [](HRESULT hr) {
    std::wstring text = std::wstring(UiText(TextId::kDevicePagesFailed)) + L" (0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += L"0123456789ABCDEF"[(static_cast<DWORD>(hr) >> shift) & 0xF];
    throw CaptureError(CaptureErrorKind::kDeviceFailed, text + L")。", ERROR_DEVICE_NOT_CONNECTED);
  };
  ComPtr<IBaseFilter> filter;
  if (graph_) {
    filter = graph_->source();
  } else if (const HRESULT hr = device_.moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter)); FAILED(hr)) {
    fail(hr);
  }
  ComPtr<ISpecifyPropertyPages> pages;
  CAUUID ids{};
  HRESULT hr = filter.As(&pages);
  if (SUCCEEDED(hr)) hr = pages->GetPages(&ids);
  if (FAILED(hr)) fail(hr);
  IUnknown* object = filter.Get();
  hr = ::OleCreatePropertyFrame(owner, 0, 0, device_.friendly_name.c_str(), 1, &object, ids.cElems, ids.pElems, 0,
                                0, nullptr);
  ::CoTaskMemFree(ids.pElems);
  if (FAILED(hr)) fail(hr);
  return true;
}

void DirectShowDevice::PreferFormat(int index) {
  LoadTypes();
  if (index < 0 || index >= static_cast<int>(types_.size())) return;
  preferred_subtype_ = types_[static_cast<size_t>(index)].get().subtype;
  graph_.reset();  // the next frame shown comes in the new format
}

bool DirectShowDevice::EnsureGraph(const FrameFormat& wanted) {
  if (missing_) ThrowMissing();
  // Compared with the size asked for when it was built, not the size it
  // delivers: a camera without the wanted size runs at its nearest, and
  // the graph must not start over on every frame for that.
  if (graph_ && (built_width_ != wanted.width || built_height_ != wanted.height)) graph_.reset();
  if (graph_) return false;
  has_latest_ = false;
  graph_ = std::make_unique<CaptureGraph>(device_.moniker.Get(), wanted, preferred_subtype_, queue_);
  built_width_ = wanted.width;
  built_height_ = wanted.height;
  latest_.assign(graph_->format().ImageSize(), 0);
  last_frame_tick_ = ::GetTickCount();
  return true;
}

FrameFormat DirectShowDevice::StartFeed(const FrameFormat& wanted) {
  // A graph for the size keeps running, so a capture follows a preview
  // without a gap; what the preview left waiting is not the capture's.
  if (!EnsureGraph(wanted)) queue_->Clear();
  dropped_at_start_ = graph_->DeviceDropped();
  lost_at_start_ = queue_->lost();
  lost_before_ = 0;
  undecodable_ = 0;
  return graph_->format();
}

std::int64_t DirectShowDevice::FrameMicroseconds() const { return graph_ ? graph_->frame_time() / 10 : 0; }

int DirectShowDevice::WaitHandles(HANDLE (&handles)[2]) const {
  int count = 0;
  handles[count++] = queue_->ready();
  if (graph_ && graph_->event_handle()) handles[count++] = graph_->event_handle();
  return count;
}

template <typename Take>
FeedStatus DirectShowDevice::TakeNext(Take&& take, std::int64_t& microseconds) {
  if (!graph_) return FeedStatus::kLost;
  QueuedFrameInfo info;
  if (take(info)) {
    microseconds = info.start_time < 0 ? -1 : info.start_time / 10;
    lost_before_ = info.lost_before;
    last_frame_tick_ = ::GetTickCount();
    return FeedStatus::kFrame;
  }
  if (queue_->broken()) {
    // The frames before the change were all taken; none after it can be.
    graph_.reset();
    throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kDeviceChangedSize), ERROR_INVALID_DATA);
  }
  return graph_->PollLost() ? FeedStatus::kLost : FeedStatus::kNothing;
}

FeedStatus DirectShowDevice::TakeFrame(std::uint8_t* bits, std::int64_t& microseconds) {
  if (!graph_ || !queue_->compressed()) {
    return TakeNext([&](QueuedFrameInfo& info) { return queue_->Take(bits, info); }, microseconds);
  }
  // A sample the decoder refuses is lost like one the queue refused; the
  // next one stands in for it.
  const FrameFormat format = graph_->format();
  for (;;) {
    const FeedStatus status = TakeSample(sample_, microseconds);
    if (status != FeedStatus::kFrame || DecodeSample(sample_, format, bits)) return status;
    ++undecodable_;
  }
}

FeedStatus DirectShowDevice::TakeSample(std::vector<std::uint8_t>& sample, std::int64_t& microseconds) {
  return TakeNext([&](QueuedFrameInfo& info) { return queue_->TakeSample(sample, info); }, microseconds);
}

bool DirectShowDevice::DecodeSample(const std::vector<std::uint8_t>& sample, const FrameFormat& format,
                                    std::uint8_t* bits) {
  if (!codec_) codec_ = std::make_unique<JpegCodec>();
  return codec_->Decode(sample.data(), sample.size(), format, bits);
}

long DirectShowDevice::DeviceDropped() const {
  return graph_ ? graph_->DeviceDropped() - dropped_at_start_ + queue_->lost() - lost_at_start_ + undecodable_ : 0;
}

void DirectShowDevice::TakeNewest(const FrameFormat& wanted) {
  EnsureGraph(wanted);
  std::int64_t microseconds = 0;
  FeedStatus status;
  // Only the newest waiting frame is shown; older ones are passed over
  // (Motion JPEG ones without being decoded).
  if (queue_->compressed()) {
    while ((status = TakeSample(sample_, microseconds)) == FeedStatus::kFrame) {
      latest_sample_.swap(sample_);
      has_latest_ = true;
    }
  } else {
    while ((status = TakeFrame(latest_.data(), microseconds)) == FeedStatus::kFrame) has_latest_ = true;
  }
  if (status == FeedStatus::kLost) {
    graph_.reset();
    throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kDeviceLost), ERROR_DEVICE_NOT_CONNECTED);
  }
  const DWORD stall_ms = std::max<DWORD>(kStallMs, static_cast<DWORD>(graph_->frame_time() / 1000));
  if (::GetTickCount() - last_frame_tick_ >= stall_ms) {
    graph_.reset();
    throw CaptureError(CaptureErrorKind::kDeviceFailed, UiText(TextId::kDeviceStalled), ERROR_TIMEOUT);
  }
}

void DirectShowDevice::Render(const FrameFormat& format, std::uint8_t* bits, std::int64_t, std::int64_t) {
  TakeNewest(format);
  const FrameFormat delivered = graph_->format();
  if (queue_->compressed() && has_latest_) {
    if (!DecodeSample(latest_sample_, format, bits)) std::memset(bits, 0, format.ImageSize());
  } else if (!has_latest_) {
    std::memset(bits, 0, format.ImageSize());
  } else if (delivered.width == format.width && delivered.height == format.height) {
    std::memcpy(bits, latest_.data(), format.ImageSize());
  } else {
    ScaleFrame(delivered, latest_.data(), format, bits);
  }
}

bool DirectShowDevice::RenderShown(const FrameFormat& streamed, const FrameFormat& shown, std::uint8_t* bits) {
  // Uncompressed frames are as cheap to scale after as before: only a
  // sample still to be decoded is made smaller for less. A Render that
  // follows finds the newest frame kept.
  TakeNewest(streamed);
  if (!queue_->compressed()) return false;
  if (!has_latest_ || !DecodeSample(latest_sample_, shown, bits)) std::memset(bits, 0, shown.ImageSize());
  return true;
}

void DirectShowDevice::Rest() { graph_.reset(); }

std::vector<std::unique_ptr<VideoDevice>> MakeDirectShowDevices() {
  std::vector<std::unique_ptr<VideoDevice>> devices;
  for (VideoInputDevice& device : ListVideoInputDevices()) {
    devices.push_back(std::make_unique<DirectShowDevice>(std::move(device)));
  }
  return devices;
}

}  // namespace morvane
