// The DirectShow side of the control against the test camera registered in
// the prefix: the device enumerator lists it by name, our graph connects
// it to our sink in each of its layouts, frames arrive numbered in order
// with their stream times, the faults it can be told to show reach us
// as such, and our pins and the camera's answer alike for their direction.
// The camera also behaves as real ones do: sizes it lacks, frames without
// times, rows without padding, type changes while running, stalls.
#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "camera_frames.h"
#include "core/capture_error.h"
#include "directshow/device_list.h"
#include "directshow/directshow_device.h"
#include "directshow/media_type.h"
#include "directshow/sink_filter.h"
#include "module.h"

namespace {

using Microsoft::WRL::ComPtr;
using morvane::FeedStatus;
using morvane::FrameFormat;
using testcamera::CameraStreams;

constexpr wchar_t kCameraName[] = L"Morvane Test Camera";
const wchar_t* const kCameraVariables[] = {L"MORVANE_TEST_CAMERA_FAULT", L"MORVANE_TEST_CAMERA_FORMATS",
                                           L"MORVANE_TEST_CAMERA_SIZES", L"MORVANE_TEST_CAMERA_PREVIEW"};

FrameFormat Size(int width, int height) {
  FrameFormat format;
  format.width = width;
  format.height = height;
  return format;
}

class DirectShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    for (const wchar_t* name : kCameraVariables) ::SetEnvironmentVariableW(name, nullptr);
  }
  void TearDown() override {
    for (const wchar_t* name : kCameraVariables) ::SetEnvironmentVariableW(name, nullptr);
    ::CoUninitialize();
  }

  std::unique_ptr<morvane::DirectShowDevice> Camera() {
    for (morvane::VideoInputDevice& device : morvane::ListVideoInputDevices()) {
      if (device.friendly_name == kCameraName) return std::make_unique<morvane::DirectShowDevice>(std::move(device));
    }
    return nullptr;
  }
};

// Waits up to timeout_ms for the next frame; what TakeFrame said last.
FeedStatus NextFrame(morvane::LiveFeed& feed, std::vector<std::uint8_t>& bits, std::int64_t& us, DWORD timeout_ms) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    const FeedStatus status = feed.TakeFrame(bits.data(), us);
    if (status != FeedStatus::kNothing) return status;
    if (::GetTickCount() - start > timeout_ms) return status;
    HANDLE handles[2];
    const int count = feed.WaitHandles(handles);
    ::WaitForMultipleObjects(static_cast<DWORD>(count), handles, FALSE, 50);
  }
}

TEST_F(DirectShowTest, TheEnumeratorListsTheTestCameraByName) {
  const std::vector<morvane::VideoInputDevice> devices = morvane::ListVideoInputDevices();
  std::vector<std::wstring> names;
  for (const auto& device : devices) names.push_back(device.friendly_name);
  EXPECT_NE(std::find(names.begin(), names.end(), kCameraName), names.end())
      << "devices listed: " << names.size();
}

struct LayoutCase {
  const char* name;
  const wchar_t* formats;  // what the camera offers
  int width, height;       // asked for
  int got_width, got_height;
  int prefer = -1;  // the type chosen in the format dialog, by its place in the camera's list
  const wchar_t* sizes = nullptr;  // what the camera lists (default 640x480,320x240)
  const wchar_t* fault = nullptr;
  bool timed = true;  // the camera sets sample times
  const wchar_t* preview = nullptr;  // sizes of a preview pin listed before the capture pin
};
// No MJPG decoder exists in our Wine, and the test camera paints no JPEG:
// a compressed type, listed first or even chosen, gives way to an
// uncompressed one.
const LayoutCase kLayoutCases[] = {
    {"yuy2 640x480", L"yuy2", 640, 480, 640, 480},
    {"rgb24 640x480", L"rgb24", 640, 480, 640, 480},
    {"rgb24 320x240", L"rgb24", 320, 240, 320, 240},
    {"a size it lacks gets the nearest", L"yuy2", 352, 288, 320, 240},
    {"mjpg listed first", L"mjpg,yuy2,rgb24", 640, 480, 640, 480},
    {"mjpg chosen", L"mjpg,rgb24", 640, 480, 640, 480, 0},
    {"mjpg chosen at the smaller size", L"mjpg,yuy2", 320, 240, 320, 240, 2},
    // Wine's own capture filter: no row padding, no sample times.
    {"rgb24 rows unpadded", L"rgb24", 322, 240, 322, 240, -1, L"322x240", L"unpadded"},
    {"no sample times", L"yuy2", 320, 240, 320, 240, -1, nullptr, L"no_times", false},
    // Motion JPEG at the size is taken by our sink itself, ahead of an
    // uncompressed type at another size.
    {"four mjpg at the size, yuy2 only smaller", L"mjpg", 640, 480, 640, 480, -1,
     L"640x480/mjpg,640x480/mjpg,640x480/mjpg,640x480/mjpg,640x480/mjpg,320x240/yuy2"},
    // The size is set on the pin the graph connects, not on the first pin
    // that takes one: the capture pin would otherwise run at its default.
    {"a preview pin with other sizes listed first", L"yuy2", 320, 240, 320, 240, -1, nullptr, nullptr, true,
     L"176x144,160x120"},
};

TEST_F(DirectShowTest, FramesArriveNumberedInOrderWithStreamTimes) {
  for (const LayoutCase& c : kLayoutCases) {
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FORMATS", c.formats);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_SIZES", c.sizes);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", c.fault);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_PREVIEW", c.preview);
    auto camera = Camera();
    ASSERT_TRUE(camera) << "test camera not registered";
    if (c.prefer >= 0) {
      ASSERT_GT(camera->FormatLabels().size(), static_cast<size_t>(c.prefer)) << c.name;
      EXPECT_NE(camera->FormatLabels()[static_cast<size_t>(c.prefer)].find(L"MJPG"), std::wstring::npos) << c.name;
      camera->PreferFormat(c.prefer);
    }
    FrameFormat wanted;
    wanted.width = c.width;
    wanted.height = c.height;
    const FrameFormat got = camera->StartFeed(wanted);
    EXPECT_EQ(got.width, c.got_width) << c.name;
    EXPECT_EQ(got.height, c.got_height) << c.name;
    EXPECT_EQ(camera->FrameMicroseconds(), 33333) << c.name;
    std::vector<std::uint8_t> bits(got.ImageSize());
    long previous = -1;
    for (int i = 0; i < 10; ++i) {
      std::int64_t us = -2;
      ASSERT_EQ(NextFrame(*camera, bits, us, 2000), FeedStatus::kFrame) << c.name << " frame " << i;
      const long number = testcamera::ReadFrameNumber(got, bits.data());
      ASSERT_GE(number, 0) << c.name << " frame " << i << " unreadable";
      if (previous >= 0) {
        EXPECT_EQ(number, previous + 1) << c.name;
      }
      EXPECT_EQ(us, c.timed ? number * 333333LL / 10 : -1) << c.name << " frame " << number;
      previous = number;
    }
    camera->Rest();
  }
}

struct RefusalCase {
  const char* name;
  const wchar_t* variable;
  const wchar_t* value;
};
const RefusalCase kRefusalCases[] = {
    {"fails to start", L"MORVANE_TEST_CAMERA_FAULT", L"fail_start"},
    {"cannot be opened", L"MORVANE_TEST_CAMERA_FAULT", L"fail_open"},
};

TEST_F(DirectShowTest, ACameraThatCannotStartSaysWhy) {
  for (const RefusalCase& c : kRefusalCases) {
    ::SetEnvironmentVariableW(c.variable, c.value);
    auto camera = Camera();
    ASSERT_TRUE(camera);
    FrameFormat wanted;
    wanted.width = 640;
    wanted.height = 480;
    try {
      camera->StartFeed(wanted);
      ADD_FAILURE() << c.name << ": the camera was started";
    } catch (const morvane::CaptureError& error) {
      EXPECT_EQ(error.kind(), morvane::CaptureErrorKind::kDeviceFailed) << c.name;
      EXPECT_FALSE(error.message().empty()) << c.name;
    }
    ::SetEnvironmentVariableW(c.variable, nullptr);
  }
}

TEST_F(DirectShowTest, AVanishedCameraIsReportedLostAfterItsLastFrame) {
  ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", L"vanish:5");
  auto camera = Camera();
  ASSERT_TRUE(camera);
  FrameFormat wanted;
  wanted.width = 320;
  wanted.height = 240;
  const FrameFormat got = camera->StartFeed(wanted);
  std::vector<std::uint8_t> bits(got.ImageSize());
  int frames = 0;
  FeedStatus status;
  std::int64_t us = 0;
  while ((status = NextFrame(*camera, bits, us, 3000)) == FeedStatus::kFrame) ++frames;
  EXPECT_EQ(status, FeedStatus::kLost);
  EXPECT_EQ(frames, 5);
}

// Our two pins, the sink's input and the camera's capture pin, answer
// alike what does not depend on a connection, each for its own direction;
// a call that belongs to the other direction is refused, and every
// interface of a pin counts with its filter.
struct PinCase {
  const char* name;
  PIN_DIRECTION direction;
  const wchar_t* id;
  const IID* other;  // an interface the pin has beside IPin
};
const PinCase kPinCases[] = {
    {"sink", PINDIR_INPUT, L"In", &IID_IMemInputPin},
    {"camera", PINDIR_OUTPUT, L"Capture", &IID_IAMStreamConfig},
};

ComPtr<IBaseFilter> FilterOf(const PinCase& c) {
  ComPtr<IBaseFilter> filter;
  if (c.direction == PINDIR_INPUT) {
    filter = morvane::SinkFilter::Create(std::make_shared<morvane::FrameQueue>());
    return filter;
  }
  for (morvane::VideoInputDevice& device : morvane::ListVideoInputDevices()) {
    if (device.friendly_name != kCameraName) continue;
    device.moniker->BindToObject(nullptr, nullptr, IID_PPV_ARGS(&filter));
  }
  return filter;
}

ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST_F(DirectShowTest, BothPinsAnswerForTheirOwnDirection) {
  for (const PinCase& c : kPinCases) {
    ComPtr<IBaseFilter> filter = FilterOf(c);
    ASSERT_TRUE(filter) << c.name;
    ComPtr<IPin> pin;
    ASSERT_EQ(filter->FindPin(c.id, &pin), S_OK) << c.name;
    PIN_DIRECTION direction = static_cast<PIN_DIRECTION>(-1);
    EXPECT_EQ(pin->QueryDirection(&direction), S_OK) << c.name;
    EXPECT_EQ(direction, c.direction) << c.name;
    LPWSTR id = nullptr;
    ASSERT_EQ(pin->QueryId(&id), S_OK) << c.name;
    EXPECT_STREQ(id, c.id) << c.name;
    ::CoTaskMemFree(id);
    PIN_INFO info{};
    ASSERT_EQ(pin->QueryPinInfo(&info), S_OK) << c.name;
    EXPECT_EQ(info.pFilter, filter.Get()) << c.name;
    EXPECT_EQ(info.dir, c.direction) << c.name;
    EXPECT_STREQ(info.achName, c.id) << c.name;
    if (info.pFilter) info.pFilter->Release();

    IPin* peer = reinterpret_cast<IPin*>(1);
    EXPECT_EQ(pin->ConnectedTo(&peer), VFW_E_NOT_CONNECTED) << c.name;
    EXPECT_EQ(peer, nullptr) << c.name;
    AM_MEDIA_TYPE type{};
    EXPECT_EQ(pin->ConnectionMediaType(&type), VFW_E_NOT_CONNECTED) << c.name;
    EXPECT_EQ(pin->Disconnect(), S_FALSE) << c.name;
    if (c.direction == PINDIR_INPUT) {
      EXPECT_EQ(pin->Connect(pin.Get(), nullptr), E_UNEXPECTED) << c.name;
    } else {
      EXPECT_EQ(pin->ReceiveConnection(pin.Get(), &type), E_UNEXPECTED) << c.name;
      EXPECT_EQ(pin->EndOfStream(), E_UNEXPECTED) << c.name;
      EXPECT_EQ(pin->BeginFlush(), E_UNEXPECTED) << c.name;
    }

    const ULONG before = References(filter.Get());
    ComPtr<IUnknown> other;
    ASSERT_EQ(pin.CopyTo(*c.other, reinterpret_cast<void**>(other.GetAddressOf())), S_OK) << c.name;
    EXPECT_EQ(References(filter.Get()), before + 1) << c.name << ": the pin counts apart from its filter";
    ComPtr<IPin> back;
    EXPECT_EQ(other.As(&back), S_OK) << c.name;
    EXPECT_EQ(back.Get(), pin.Get()) << c.name;
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(pin->QueryInterface(IID_IMediaSample, &none), E_NOINTERFACE) << c.name;
    EXPECT_EQ(none, nullptr) << c.name;
  }
}

// A sample as an upstream filter hands it over: its buffer, the size it
// states, and the length it claims, which a faulty filter makes longer than
// the buffer. It lives on the caller's stack, beyond the call.
class FakeSample final : public IMediaSample {
 public:
  FakeSample(std::uint8_t* data, long size, long length) : data_(data), size_(size), length_(length) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMediaSample) ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetPointer(BYTE** data) override {
    *data = data_;
    return S_OK;
  }
  STDMETHODIMP_(long) GetSize() override { return size_; }
  STDMETHODIMP_(long) GetActualDataLength() override { return length_; }
  STDMETHODIMP GetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return VFW_E_SAMPLE_TIME_NOT_SET; }
  STDMETHODIMP GetMediaType(AM_MEDIA_TYPE** type) override {
    *type = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP IsSyncPoint() override { return S_OK; }
  STDMETHODIMP IsPreroll() override { return S_FALSE; }
  STDMETHODIMP IsDiscontinuity() override { return S_FALSE; }
  STDMETHODIMP SetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
  STDMETHODIMP SetSyncPoint(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP SetPreroll(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP SetActualDataLength(long) override { return E_NOTIMPL; }
  STDMETHODIMP SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  STDMETHODIMP SetDiscontinuity(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetMediaTime(LONGLONG*, LONGLONG*) override { return VFW_E_MEDIA_TIME_NOT_SET; }
  STDMETHODIMP SetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }

 private:
  std::uint8_t* data_;
  long size_;
  long length_;
};

// A sample whose claimed length runs past its buffer is read no further
// than the buffer: too short for a frame, it is refused and counted; with
// rows unpadded (a width of 322 pads each RGB24 row by 2 bytes), it is read
// as unpadded. Past the stated size lies another whole frame, so a sink
// that believed the length would take a wrong picture.
struct OverlongCase {
  const char* name;
  bool unpadded;        // the buffer holds the frame without row padding
  size_t quarters;      // the size stated, in quarters of what that layout takes
  size_t frames_beyond;  // the length claimed: the size stated and this many padded frames
  bool taken;
};
const OverlongCase kOverlongCases[] = {
    {"a short buffer claiming a whole frame", false, 2, 1, false},
    {"unpadded rows claiming padded ones", true, 4, 1, true},
};

TEST_F(DirectShowTest, TheSinkReadsNoFurtherThanTheSampleBuffer) {
  const PinCase camera_case = kPinCases[1];
  ComPtr<IBaseFilter> camera = FilterOf(camera_case);
  ASSERT_TRUE(camera);
  ComPtr<IPin> upstream;
  ASSERT_EQ(camera->FindPin(camera_case.id, &upstream), S_OK);
  const morvane::MediaType type = morvane::MakeVideoType(MEDIASUBTYPE_RGB24, 322, 240, 333333);
  morvane::SourceFrame source;
  ASSERT_TRUE(morvane::DescribeVideoType(type.get(), source));
  const size_t padded = morvane::SourceImageSize(source);
  const size_t row = 322 * 3;
  const FrameFormat format = Size(322, 240);
  const std::int64_t n = 1234;
  for (const OverlongCase& c : kOverlongCases) {
    SCOPED_TRACE(c.name);
    const size_t stated = (c.unpadded ? row * 240 : padded) * c.quarters / 4;
    std::vector<std::uint8_t> buffer(stated + padded);
    testcamera::PaintFrame(source, n, buffer.data());
    std::vector<std::uint8_t> expected(format.ImageSize());
    ASSERT_TRUE(morvane::ConvertFrame(source, buffer.data(), padded, format, expected.data()));
    if (c.unpadded) {
      for (size_t y = 1; y < 240; ++y) std::memmove(buffer.data() + y * row, buffer.data() + y * (row + 2), row);
    }
    testcamera::PaintFrame(source, n + 1, buffer.data() + stated);

    auto queue = std::make_shared<morvane::FrameQueue>();
    const ComPtr<morvane::SinkFilter> sink = morvane::SinkFilter::Create(queue);
    ASSERT_EQ(sink->pin().ReceiveConnection(upstream.Get(), &type.get()), S_OK);
    ASSERT_EQ(sink->Run(0), S_OK);
    FakeSample sample(buffer.data(), static_cast<long>(stated), static_cast<long>(stated + padded * c.frames_beyond));
    EXPECT_EQ(sink->pin().Receive(&sample), S_OK);
    std::vector<std::uint8_t> bits(format.ImageSize());
    morvane::QueuedFrameInfo info;
    const bool taken = queue->Take(bits.data(), info);
    EXPECT_EQ(taken, c.taken);
    EXPECT_EQ(queue->refused(), c.taken ? 0 : 1);
    if (taken) {
      EXPECT_EQ(testcamera::ReadFrameNumber(format, bits.data()), n);
      EXPECT_TRUE(bits == expected) << "the picture differs from the frame sent";
    }
    sink->Stop();
    EXPECT_EQ(sink->pin().Disconnect(), S_OK);
  }
}

// A type change while the camera runs: one of the connected size is
// followed (every frame still reads back, in order); one of another size
// cannot be, and says so after the last frame before it.
struct ChangeCase {
  const char* name;
  const wchar_t* formats;
  const wchar_t* fault;
  bool followed;
};
const ChangeCase kChangeCases[] = {
    {"rgb24 turned top-down", L"rgb24", L"flip:5", true},
    {"rgb24 turned into yuy2", L"rgb24", L"relayout:5", true},
    {"yuy2 at half the size", L"yuy2", L"shrink:5", false},
};

TEST_F(DirectShowTest, ATypeChangeWhileRunningNeverGivesAWrongPicture) {
  for (const ChangeCase& c : kChangeCases) {
    SCOPED_TRACE(c.name);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FORMATS", c.formats);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", c.fault);
    auto camera = Camera();
    ASSERT_TRUE(camera);
    const FrameFormat got = camera->StartFeed(Size(320, 240));
    std::vector<std::uint8_t> bits(got.ImageSize());
    std::vector<long> numbers;
    bool refused = false;
    // Numbered from the graph's first frame on.
    try {
      std::int64_t us = 0;
      while (numbers.size() < 12 && NextFrame(*camera, bits, us, 2000) == FeedStatus::kFrame) {
        numbers.push_back(testcamera::ReadFrameNumber(got, bits.data()));
      }
    } catch (const morvane::CaptureError& error) {
      refused = true;
      EXPECT_FALSE(error.message().empty());
    }
    EXPECT_EQ(refused, !c.followed);
    ASSERT_EQ(numbers.size(), c.followed ? 12u : 5u);
    for (size_t i = 0; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], static_cast<long>(i)) << "frame " << i;
    camera->Rest();
  }
}

// A capture started after a slow preview begins with what the camera
// delivers from then on, not with what waited since the preview looked.
TEST_F(DirectShowTest, ACaptureAfterASlowPreviewStartsWithNewFrames) {
  auto camera = Camera();
  ASSERT_TRUE(camera);
  const FrameFormat wanted = Size(320, 240);
  std::vector<std::uint8_t> bits(wanted.ImageSize());
  camera->Render(wanted, bits.data(), 0, 0);
  ::Sleep(700);  // about 21 frames, more than the queue holds
  const FrameFormat got = camera->StartFeed(wanted);
  std::int64_t us = 0;
  ASSERT_EQ(NextFrame(*camera, bits, us, 2000), FeedStatus::kFrame);
  EXPECT_GE(testcamera::ReadFrameNumber(got, bits.data()), 18);
  camera->Rest();
}

// A camera that is no longer listed loses its graph: when it comes back it
// is opened anew, not fed from a graph of the device that went.
TEST_F(DirectShowTest, AMissingCameraIsStopped) {
  auto camera = Camera();
  ASSERT_TRUE(camera);
  camera->StartFeed(Size(320, 240));
  EXPECT_EQ(CameraStreams(), 1);
  camera->SetMissing(true);
  EXPECT_EQ(CameraStreams(), 0);
  camera->SetMissing(false);
  std::vector<std::uint8_t> bits(camera->StartFeed(Size(320, 240)).ImageSize());
  std::int64_t us = 0;
  EXPECT_EQ(NextFrame(*camera, bits, us, 2000), FeedStatus::kFrame);
  camera->Rest();
}

// The ring keeps the newest frames, and every frame it loses is counted
// and told with the frame after it.
struct QueueCase {
  const char* name;
  int pushed;        // whole frames, start times 0, 1, 2...
  int short_before;  // short samples before the last frame
  int kept;
  long first_taken;  // start time of the first frame taken
  long lost_before_first;
  long lost_before_last;
};
const QueueCase kQueueCases[] = {
    {"fewer than the slots", 5, 0, 5, 0, 0, 0},
    {"20 into 8 slots", 20, 0, 8, 12, 12, 0},
    {"a short sample before the last", 5, 1, 5, 0, 0, 1},
    {"both", 20, 2, 8, 12, 12, 2},
};

TEST(FrameQueueTest, KeepsTheNewestAndCountsWhatItLoses) {
  morvane::SourceFrame source;
  source.layout = morvane::PixelLayout::kRgb24;
  source.width = 16;
  source.height = 16;
  const std::vector<std::uint8_t> sample(morvane::SourceImageSize(source), 0x80);
  for (const QueueCase& c : kQueueCases) {
    SCOPED_TRACE(c.name);
    morvane::FrameQueue queue;
    queue.Configure(source, 8);
    for (int i = 0; i < c.pushed; ++i) {
      if (i == c.pushed - 1) {
        for (int s = 0; s < c.short_before; ++s) EXPECT_FALSE(queue.Push(sample.data(), sample.size() / 2, -1));
      }
      EXPECT_TRUE(queue.Push(sample.data(), sample.size(), i));
    }
    EXPECT_EQ(queue.lost(), c.pushed - c.kept + c.short_before);
    std::vector<std::uint8_t> bits(queue.format().ImageSize());
    std::vector<morvane::QueuedFrameInfo> taken;
    morvane::QueuedFrameInfo info;
    while (queue.Take(bits.data(), info)) taken.push_back(info);
    ASSERT_EQ(taken.size(), static_cast<size_t>(c.kept));
    EXPECT_EQ(taken.front().start_time, c.first_taken);
    EXPECT_EQ(taken.back().start_time, c.pushed - 1);
    EXPECT_EQ(taken.front().lost_before, c.lost_before_first);
    EXPECT_EQ(taken.back().lost_before, c.lost_before_last);
  }
}

// A frame time outside what a camera can mean leaves the rate unknown, so
// the file gets the host's rate instead of 100,000 frames a second.
struct FrameTimeCase {
  REFERENCE_TIME stated;
  REFERENCE_TIME believed;
};
const FrameTimeCase kFrameTimeCases[] = {
    {333333, 333333}, {41666, 41666}, {10000000, 10000000}, {100, 0}, {9999, 0}, {0, 0}, {-333333, 0},
    {1000000000, 0},
};

TEST(MediaTypeTest, AFrameTimeIsBelievedWithinACamerasRange) {
  for (const FrameTimeCase& c : kFrameTimeCases) {
    const morvane::MediaType type = morvane::MakeVideoType(MEDIASUBTYPE_RGB24, 320, 240, c.stated);
    EXPECT_EQ(morvane::VideoFrameTime(type.get()), c.believed) << "stated " << c.stated;
  }
}

// A graph may hold our sink after the control is gone; while it does, the
// DLL must answer that it is in use, or it may be unloaded under the graph.
TEST(SinkFilterTest, KeepsTheModuleInUseWhileItLives) {
  ASSERT_FALSE(morvane::ModuleInUse());
  ComPtr<IBaseFilter> sink = morvane::SinkFilter::Create(std::make_shared<morvane::FrameQueue>());
  EXPECT_TRUE(morvane::ModuleInUse());
  sink.Reset();
  EXPECT_FALSE(morvane::ModuleInUse());
}

}  // namespace
