// The DirectShow side of the control against the test camera registered in
// the prefix: the device enumerator lists it by name, our graph connects
// it to our sink in each of its layouts, frames arrive numbered in order
// with their stream times, the faults it can be told to show reach us
// as such, and our pins and the camera's answer alike for their direction.
#include <gtest/gtest.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "camera_frames.h"
#include "core/capture_error.h"
#include "directshow/device_list.h"
#include "directshow/directshow_device.h"
#include "directshow/sink_filter.h"

namespace {

using Microsoft::WRL::ComPtr;
using morvane::FeedStatus;
using morvane::FrameFormat;

constexpr wchar_t kCameraName[] = L"Morvane Test Camera";

class DirectShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", nullptr);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FORMATS", nullptr);
  }
  void TearDown() override {
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", nullptr);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FORMATS", nullptr);
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
};

TEST_F(DirectShowTest, FramesArriveNumberedInOrderWithStreamTimes) {
  for (const LayoutCase& c : kLayoutCases) {
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FORMATS", c.formats);
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
      EXPECT_EQ(us, number * 333333LL / 10) << c.name << " frame " << number;
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
    {"only mjpg, no decoder", L"MORVANE_TEST_CAMERA_FORMATS", L"mjpg"},
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
    filter.Attach(morvane::SinkFilter::Create(std::make_shared<morvane::FrameQueue>()));
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

}  // namespace
