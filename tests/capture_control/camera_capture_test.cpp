// The control capturing from the test camera, a DirectShow video-input
// device registered in the prefix, through the dispatch contract as a host
// uses it. The files written here are read back by ffmpeg afterwards
// (check_camera_files.sh): every frame number in order.
#include <olectl.h>

#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "camera_frames.h"
#include "camera_page.h"
#include "control_fixture.h"

namespace morvane_test {
namespace {

constexpr wchar_t kCameraName[] = L"Morvane Test Camera";
constexpr int kSyntheticDevices = 3;
constexpr SHORT kStoppedByTimeLimit = 1;
constexpr SHORT kStoppedByError = 4;
const wchar_t* const kCameraVariables[] = {L"MORVANE_TEST_CAMERA_FAULT", L"MORVANE_TEST_CAMERA_FORMATS",
                                           L"MORVANE_TEST_CAMERA_SIZES", L"MORVANE_TEST_CAMERA_PAGES"};

std::wstring OutPath(const wchar_t* file) { return EnvPath(L"MORVANE_TEST_OUT") + L"\\" + file; }
void* LongToAddress(LONG value) { return reinterpret_cast<void*>(static_cast<UINT_PTR>(static_cast<ULONG>(value))); }

class CameraTest : public ControlTest {
 protected:
  void SetUp() override {
    for (const wchar_t* name : kCameraVariables) ::SetEnvironmentVariableW(name, nullptr);
    ControlTest::SetUp();
    ASSERT_EQ(S_OK, host_->Advise(&sink_));
  }
  void TearDown() override {
    ControlTest::TearDown();
    for (const wchar_t* name : kCameraVariables) ::SetEnvironmentVariableW(name, nullptr);
  }
  bool ShowHost() const override { return true; }

  // The camera's index in the control's list, -1 if it is not there.
  int CameraIndex() {
    CallResult count = GetProperty(control(), dispid::kDeviceCount);
    for (SHORT i = 0; i < count.value.v.iVal; ++i) {
      CallResult name = CallMethod(control(), dispid::kDeviceName, {Var::I2(i).v});
      if (name.hr == S_OK && std::wstring(name.value.v.bstrVal) == kCameraName) return i;
    }
    return -1;
  }
  void SelectCamera(double seconds, int width, int height) {
    const int index = CameraIndex();
    ASSERT_GE(index, kSyntheticDevices) << "test camera not listed after the synthetic devices";
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(static_cast<SHORT>(index)).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kTimeLimit, Var::R8(seconds).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kTimeLimitEnabled, Var::I2(1).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureWidth, Var::R8(width).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureHeight, Var::R8(height).v).hr);
  }
  const Event* Last(DISPID id) const {
    for (auto it = sink_.events.rbegin(); it != sink_.events.rend(); ++it)
      if (it->id == id) return &*it;
    return nullptr;
  }
  // The last capture's size and counts, as its events told them.
  void ExpectCaptured(LONG width, LONG height, LONG captured, LONG dropped) const {
    const Event* started = Last(morvane::kEventCaptureStarted);
    ASSERT_NE(nullptr, started);
    EXPECT_EQ(width, started->arguments[0].v.lVal);
    EXPECT_EQ(height, started->arguments[1].v.lVal);
    const Event* complete = Last(morvane::kEventCaptureComplete);
    ASSERT_NE(nullptr, complete);
    EXPECT_EQ(captured, complete->arguments[0].v.lVal) << "captured";
    EXPECT_EQ(dropped, complete->arguments[1].v.lVal) << "dropped";
  }
  // The frame number CopyFrameToDC draws now; picture: whether it is more
  // than black.
  long FrameNumberShown(int width, int height, bool* picture = nullptr) {
    DibCanvas canvas(width, height, 24);
    CallResult copy = CallMethod(control(), dispid::kCopyFrameToDC, {Var::I4(canvas.dc_argument()).v});
    ::GdiFlush();
    morvane::FrameFormat format;
    format.width = width;
    format.height = height;
    auto* bits = static_cast<std::uint8_t*>(canvas.bits());
    const long number = copy.value.v.boolVal ? testcamera::ReadFrameNumber(format, bits) : -2;
    if (picture) *picture = copy.value.v.boolVal && testcamera::HoldsPicture(format, bits);
    return number;
  }
  EventSink sink_;
};

TEST_F(CameraTest, TheCameraIsListedAfterTheUnchangedSyntheticDevices) {
  const wchar_t* const synthetic[] = {L"Morvane ｶﾗｰﾊﾞｰ (合成)", L"Morvane 市松模様 (合成)", L"Morvane 簡易ｶﾒﾗ (合成)"};
  for (SHORT i = 0; i < kSyntheticDevices; ++i) {
    CallResult name = CallMethod(control(), dispid::kDeviceName, {Var::I2(i).v});
    ASSERT_EQ(S_OK, name.hr);
    EXPECT_EQ(std::wstring(synthetic[i]), name.value.v.bstrVal);
  }
  EXPECT_GE(CameraIndex(), kSyntheticDevices);
  // Counting again finds the same list.
  EXPECT_EQ(CameraIndex(), CameraIndex());
}

// The window's picture runs on with the camera's frames, read off the
// screen, and a still taken meanwhile is the whole frame: also for Motion
// JPEG in a window (the host's 320 x 240) smaller than its frames, which
// the preview decodes at the window's size.
TEST_F(CameraTest, ThePreviewMovesWithTheCamerasFrames) {
  struct Row {
    const wchar_t* formats;  // MORVANE_TEST_CAMERA_FORMATS; nullptr: the camera's own
    int width, height;
  };
  const Row rows[] = {{nullptr, 320, 240}, {L"mjpg,yuy2,rgb24", 640, 480}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.width);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FORMATS", row.formats);
    SelectCamera(1, row.width, row.height);
    if (row.formats) {
      DriveDialog(L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDOK, [](HWND dialog) { Select(dialog, 0, 0); });
      ASSERT_EQ(S_OK, CallMethod(control(), dispid::kShowFormatDialog).hr);
    }
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreviewRate, Var::R8(30).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(true).v).hr);
    auto shown_number = [this] {
      RECT client{};
      ::GetClientRect(host_->control_window(), &client);
      DibCanvas canvas(client.right, client.bottom, 24);
      HDC window_dc = ::GetDC(host_->control_window());
      ::BitBlt(canvas.dc(), 0, 0, client.right, client.bottom, window_dc, 0, 0, SRCCOPY);
      ::ReleaseDC(host_->control_window(), window_dc);
      ::GdiFlush();
      const morvane::FrameFormat format{static_cast<int>(client.right), static_cast<int>(client.bottom), 24};
      return testcamera::ReadFrameNumber(format, static_cast<std::uint8_t*>(canvas.bits()));
    };
    TestHost::Pump(1500);
    const long first = shown_number();
    TestHost::Pump(1000);
    const long later = shown_number();
    EXPECT_GE(first, 0) << "no camera frame in the window";
    EXPECT_GT(later, first) << "the window's picture stood still";

    const std::wstring file = OutPath(L"preview_still.bmp");
    ASSERT_EQ(S_OK, CallMethod(control(), dispid::kSaveBitmap, {Var::Text(file.c_str()).v}).hr);
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    const std::vector<std::uint8_t> bmp((std::istreambuf_iterator<char>(in)), {});
    // Its 14-byte file header, 40-byte info header and the frame.
    const morvane::FrameFormat whole{row.width, row.height, 24};
    ASSERT_EQ(54 + whole.ImageSize(), bmp.size()) << "the still is not the whole frame";
    EXPECT_GE(testcamera::ReadFrameNumber(whole, bmp.data() + 54), later) << "the still is not the camera's frame";
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(false).v).hr);
  }
}

// A size the camera lacks: the preview shows the nearest it has, scaled,
// within a second, from one graph, and the status line names the size.
TEST_F(CameraTest, APreviewAtASizeTheCameraLacksShowsItsPictureWithinASecond) {
  ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FORMATS", L"yuy2");
  SelectCamera(1, 352, 288);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreviewRate, Var::R8(30).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(true).v).hr);
  const DWORD start = ::GetTickCount();
  bool picture = false;
  long first = -1;
  while (!picture && ::GetTickCount() - start < 3000) {
    TestHost::Pump(20);
    first = FrameNumberShown(352, 288, &picture);
  }
  const DWORD to_picture = ::GetTickCount() - start;
  EXPECT_TRUE(picture) << "the preview stayed black";
  EXPECT_LT(to_picture, 1000u);
  TestHost::Pump(1000);
  const long later = FrameNumberShown(352, 288);
  EXPECT_GE(later, first + 20) << "the frames did not run on from one graph";
  EXPECT_EQ(1, testcamera::CameraStreams());
  bool told = false;
  for (const Event& event : sink_.events) {
    told = told || (event.id == morvane::kEventStatusChanged &&
                    std::wstring(event.arguments[0].v.bstrVal).find(L"320 x 240") != std::wstring::npos);
  }
  EXPECT_TRUE(told) << "the status line does not name the camera's size";
  std::printf("preview at 352x288 from a camera without it: picture after %lu ms, frames %ld..%ld\n",
              static_cast<unsigned long>(to_picture), first, later);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(false).v).hr);
}

TEST_F(CameraTest, FiveSecondsAt640x480KeepEveryFrame) {
  SelectCamera(5, 640, 480);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(OutPath(L"camera.avi").c_str()).v).hr);
  const DWORD start = ::GetTickCount();
  CallResult capture = CallMethod(control(), dispid::kStartCapture);
  const DWORD elapsed = ::GetTickCount() - start;
  ASSERT_EQ(S_OK, capture.hr) << std::hex << capture.scode << " " << std::string(capture.description.begin(), capture.description.end());
  ExpectCaptured(640, 480, 150, 0);
  EXPECT_EQ(kStoppedByTimeLimit, Last(morvane::kEventCaptureStopped)->arguments[0].v.iVal);
  // The bench figure: how long 150 frames at 30 per second took to take.
  std::printf("camera capture 640x480 at 30 fps: 150 frames in %lu ms\n", static_cast<unsigned long>(elapsed));
}

TEST_F(CameraTest, StreamFrameDeliversTheCamerasFramesInOrder) {
  SelectCamera(1, 320, 240);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  std::vector<long> numbers;
  sink_.on_event = [&](DISPID id, DISPPARAMS* params) {
    if (id != morvane::kEventStreamFrame) return;
    const auto* info = static_cast<const BITMAPINFOHEADER*>(LongToAddress(params->rgvarg[2].lVal));
    morvane::FrameFormat format;
    format.width = info->biWidth;
    format.height = info->biHeight;
    numbers.push_back(testcamera::ReadFrameNumber(format, static_cast<const std::uint8_t*>(LongToAddress(params->rgvarg[1].lVal))));
  };
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  ASSERT_EQ(30u, numbers.size());
  for (size_t i = 1; i < numbers.size(); ++i) EXPECT_EQ(numbers[i - 1] + 1, numbers[i]) << "at " << i;
}

// A camera that lists MJPG first, with MJPG chosen in the format dialog:
// our sink takes its JPEG itself. Uncompressed, the capture holds the
// decoded frames; with Motion JPEG chosen in the compression dialog, the
// camera's samples as they came; a sample cut short is dropped, never
// written. check_camera_files.sh reads every frame number back.
struct MjpgCase {
  const char* name;
  const wchar_t* formats;  // MORVANE_TEST_CAMERA_FORMATS
  const wchar_t* file;
  int compression;  // the compression dialog's choice: 0 none, 1 Motion JPEG
  const wchar_t* fault;
  LONG captured, dropped;
  const char* handler;  // strh's
};
const MjpgCase kMjpgCases[] = {
    {"decoded", L"mjpg,yuy2,rgb24", L"camera_mjpg.avi", 0, nullptr, 30, 0, ""},
    {"kept", L"mjpg,yuy2,rgb24", L"camera_mjpg_kept.avi", 1, nullptr, 30, 0, "MJPG"},
    {"one cut short", L"mjpg,yuy2,rgb24", L"camera_mjpg_cut.avi", 1, L"cut:10", 29, 1, "MJPG"},
    // An uncompressed camera's frames encoded here, on the encoding threads.
    {"encoded from yuy2", L"yuy2", L"camera_encoded.avi", 1, nullptr, 30, 0, "MJPG"},
};

class CameraMjpg : public CameraTest, public ::testing::WithParamInterface<MjpgCase> {};

TEST_P(CameraMjpg, JpegFromTheCameraIsDecodedOrKept) {
  const MjpgCase& c = GetParam();
  ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FORMATS", c.formats);
  const bool jpeg_camera = std::wcsncmp(c.formats, L"mjpg", 4) == 0;
  if (c.fault) ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", c.fault);
  SelectCamera(1, 320, 240);
  std::wstring label;
  DriveDialog(L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDOK, [&label](HWND dialog) {
    Select(dialog, 0, 0);
    wchar_t text[128] = {};
    ::GetDlgItemTextW(dialog, 100, text, 128);
    label = text;
  });
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kShowFormatDialog).hr);
  EXPECT_NE(std::wstring::npos, label.find(jpeg_camera ? L"640 x 480  MJPG" : L"640 x 480  YUY2"));
  // A camera streams Motion JPEG once shown: the dialog offers to keep it.
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(true).v).hr);
  TestHost::Pump(500);
  std::vector<std::wstring> offered;
  DriveDialog(L"ﾋﾞﾃﾞｵ圧縮", IDOK, [&](HWND dialog) {
    offered = Choices(dialog, 0);
    Select(dialog, 0, c.compression);
  });
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kShowCompressionDialog).hr);
  ASSERT_GE(offered.size(), 2u);
  EXPECT_EQ(jpeg_camera, offered.size() > 2 && offered[2] == L"ｶﾒﾗの圧縮のまま (Motion JPEG)");
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(false).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(OutPath(c.file).c_str()).v).hr);
  CallResult capture = CallMethod(control(), dispid::kStartCapture);
  ASSERT_EQ(S_OK, capture.hr) << std::string(capture.description.begin(), capture.description.end());
  ExpectCaptured(640, 480, c.captured, c.dropped);
  std::ifstream in(std::filesystem::path(OutPath(c.file)), std::ios::binary);
  char head[256] = {};
  in.read(head, sizeof head);
  const std::string text(head, sizeof head);
  const std::size_t strh = text.find("strh");
  ASSERT_NE(std::string::npos, strh);
  EXPECT_EQ(std::string(c.handler) + std::string(4 - std::strlen(c.handler), '\0'), text.substr(strh + 12, 4));
  // The still after the capture is the camera's last frame, decoded.
  EXPECT_GE(FrameNumberShown(640, 480), 0);
}

INSTANTIATE_TEST_SUITE_P(Captures, CameraMjpg, ::testing::ValuesIn(kMjpgCases),
                         [](const ::testing::TestParamInfo<MjpgCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name) ch = ch == ' ' ? '_' : ch;
                           return name;
                         });

// The source dialog of a camera is the frame the system builds around the
// camera's own property pages; closing it returns to the host. A camera
// without pages, or one whose pages cannot be opened, gets a message
// instead.
struct PagesCase {
  const char* name;
  const wchar_t* pages;  // MORVANE_TEST_CAMERA_PAGES
  bool has_pages;
  const wchar_t* fault = nullptr;  // from after HasSourceDialog was asked
};
const PagesCase kPagesCases[] = {
    {"its own page", nullptr, true},
    {"no pages", L"none", false},
    {"cannot be opened any more", nullptr, true, L"fail_open"},
};

bool HoldsText(HWND window, const wchar_t* text) {
  return FindWindowWhere(window, [text](HWND child) {
           wchar_t seen[128] = {};
           ::GetWindowTextW(child, seen, 128);
           return ::IsWindowVisible(child) && std::wcscmp(seen, text) == 0;
         }) != nullptr;
}

TEST_F(CameraTest, TheSourceDialogShowsTheCamerasOwnPages) {
  for (const PagesCase& c : kPagesCases) {
    SCOPED_TRACE(c.name);
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_PAGES", c.pages);
    // A new control: whether a device has pages is asked once per control.
    TestHost host;
    ASSERT_TRUE(host.ok());
    const int index = CameraIndex();
    ASSERT_GE(index, kSyntheticDevices);
    ASSERT_EQ(S_OK, PutProperty(host.control(), dispid::kDeviceIndex, Var::I2(static_cast<SHORT>(index)).v).hr);
    CallResult has = GetProperty(host.control(), dispid::kHasSourceDialog);
    EXPECT_EQ(c.has_pages ? VARIANT_TRUE : VARIANT_FALSE, has.value.v.boolVal);
    bool page_shown = false;
    std::wstring title;
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", c.fault);
    // Not expected: the control's own source dialog, empty for a camera.
    if (c.fault) DriveDialog(L"ﾋﾞﾃﾞｵ ｿｰｽ", IDCANCEL, nullptr);
    if (c.has_pages && !c.fault) {
      DriveDialog(kCameraName, IDCANCEL, [&](HWND frame) {
        // The frame fills its page in after showing itself.
        for (int i = 0; i < 100 && !page_shown; ++i) {
          page_shown = HoldsText(frame, testcamera::kCameraPageText);
          if (!page_shown) ::Sleep(20);
        }
        wchar_t text[256] = {};
        ::GetWindowTextW(frame, text, 256);
        title = text;
      });
    }
    const DWORD start = ::GetTickCount();
    CallResult source = CallMethod(host.control(), dispid::kShowSourceDialog);
    EXPECT_LT(::GetTickCount() - start, 10000u) << "the frame was not closed";
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", nullptr);
    if (c.has_pages && !c.fault) {
      EXPECT_EQ(S_OK, source.hr) << std::hex << source.scode;
      EXPECT_TRUE(page_shown) << "the camera's page is not in the frame '" << std::string(title.begin(), title.end()) << "'";
    } else {
      EXPECT_EQ(DISP_E_EXCEPTION, source.hr);
      EXPECT_EQ(CTL_E_DEVICEUNAVAILABLE, source.scode);
      EXPECT_FALSE(source.description.empty());
    }
  }
}

// A frame the camera leaves out (and counts through IAMDroppedFrames) shows
// as a gap in the timestamps: it is counted once, where it was missed.
TEST_F(CameraTest, AFrameTheCameraLeftOutCountsAsDroppedOnce) {
  SelectCamera(1, 320, 240);
  ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", L"drop:10");
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  const Event* complete = Last(morvane::kEventCaptureComplete);
  ASSERT_NE(nullptr, complete);
  EXPECT_EQ(29, complete->arguments[0].v.lVal) << "captured";
  EXPECT_EQ(1, complete->arguments[1].v.lVal) << "dropped";
  const Event* dropped = Last(morvane::kEventFrameDropped);
  ASSERT_NE(nullptr, dropped);
  EXPECT_EQ(10, dropped->arguments[0].v.lVal) << "the first frame missed";
  EXPECT_EQ(1, GetProperty(control(), dispid::kDroppedFrames).value.v.lVal);
}

struct FaultCase {
  const char* name;
  const wchar_t* fault;
  const wchar_t* file;
  LONG captured;
};
// The files are read back by check_camera_files.sh: finished, with exactly
// these frames.
const FaultCase kFaultCases[] = {
    {"stall", L"stall:20", L"camera_stall.avi", 20},
    {"vanish", L"vanish:25", L"camera_vanish.avi", 25},
    {"fail at start", L"fail_start", L"camera_fail_start.avi", 0},
};

TEST_F(CameraTest, AFaultyCameraEndsTheCaptureWithAFinishedFile) {
  SelectCamera(20, 320, 240);
  for (const FaultCase& c : kFaultCases) {
    sink_.events.clear();
    ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", c.fault);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(OutPath(c.file).c_str()).v).hr);
    const DWORD start = ::GetTickCount();
    CallResult capture = CallMethod(control(), dispid::kStartCapture);
    EXPECT_LT(::GetTickCount() - start, 10000u) << c.name << ": the capture waited too long";
    EXPECT_NE(S_OK, capture.hr) << c.name << ": reported as success";
    EXPECT_FALSE(capture.description.empty()) << c.name;
    const Event* stopped = Last(morvane::kEventCaptureStopped);
    ASSERT_NE(nullptr, stopped) << c.name;
    EXPECT_EQ(kStoppedByError, stopped->arguments[0].v.iVal) << c.name;
    const Event* complete = Last(morvane::kEventCaptureComplete);
    ASSERT_NE(nullptr, complete) << c.name;
    EXPECT_EQ(c.captured, complete->arguments[0].v.lVal) << c.name;
    EXPECT_EQ(0, complete->arguments[1].v.lVal) << c.name;
    EXPECT_NE(nullptr, Last(morvane::kEventError)) << c.name;
  }
}

// The camera streams only while something uses it: a still (CopyFrameToDC,
// as SaveBitmap and CopyToClipboard) taken with the preview off waits for a
// real picture and lets the camera go again; a
// preview's camera stops when another device is chosen or the control is
// deactivated.
enum class Leave { kStill, kChooseSynthetic, kDeactivate };
struct LeaveCase {
  const char* name;
  bool preview;
  Leave leave;
};
const LeaveCase kLeaveCases[] = {
    {"stills with the preview off", false, Leave::kStill},
    {"a synthetic device chosen under the preview", true, Leave::kChooseSynthetic},
    {"deactivated under the preview", true, Leave::kDeactivate},
};

TEST_F(CameraTest, TheCameraStreamsOnlyWhileSomethingUsesIt) {
  for (const LeaveCase& c : kLeaveCases) {
    SCOPED_TRACE(c.name);
    SelectCamera(1, 320, 240);
    if (c.preview) {
      ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(true).v).hr);
      for (int i = 0; i < 40 && testcamera::CameraStreams() == 0; ++i) TestHost::Pump(50);
      ASSERT_EQ(1, testcamera::CameraStreams());
    }
    switch (c.leave) {
      case Leave::kStill:
        for (int still = 0; still < 2; ++still) {
          bool picture = false;
          EXPECT_GE(FrameNumberShown(320, 240, &picture), 0) << "still " << still;
          EXPECT_TRUE(picture) << "a black still";
          EXPECT_EQ(0, testcamera::CameraStreams()) << "left running after the still";
        }
        break;
      case Leave::kChooseSynthetic:
        ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(0).v).hr);
        break;
      case Leave::kDeactivate: {
        ComPtr<IOleInPlaceObject> in_place;
        ASSERT_EQ(S_OK, control()->QueryInterface(IID_PPV_ARGS(&in_place)));
        EXPECT_EQ(S_OK, in_place->InPlaceDeactivate());
        break;
      }
    }
    EXPECT_EQ(0, testcamera::CameraStreams());
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(false).v).hr);
  }
}

// A camera that stops sending under the preview: the preview stops, and
// the host hears why.
TEST_F(CameraTest, AStalledCameraStopsThePreviewWithAReason) {
  SelectCamera(1, 320, 240);
  ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", L"stall:5");
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreviewRate, Var::R8(30).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(true).v).hr);
  const DWORD start = ::GetTickCount();
  while (GetProperty(control(), dispid::kPreview).value.v.boolVal && ::GetTickCount() - start < 5000) {
    TestHost::Pump(50);
  }
  EXPECT_EQ(VARIANT_FALSE, GetProperty(control(), dispid::kPreview).value.v.boolVal) << "still previewing";
  EXPECT_LT(::GetTickCount() - start, 3500u);
  const Event* error = Last(morvane::kEventError);
  ASSERT_NE(nullptr, error) << "no Error event";
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_TIMEOUT), error->arguments[0].v.lVal);
  EXPECT_EQ(0, testcamera::CameraStreams());
}

// A camera at half the rate it announced (a webcam in low light): every
// other slot is dropped and written empty, so the file's picture lasts as
// long as its sound (check_camera_files.sh measures both).
TEST_F(CameraTest, ACameraAtHalfItsRateKeepsTheTimeline) {
  SelectCamera(5, 320, 240);
  ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", L"half");
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kAudioRecording, Var::Bool(true).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(OutPath(L"camera_half.avi").c_str()).v).hr);
  CallResult capture = CallMethod(control(), dispid::kStartCapture);
  ASSERT_EQ(S_OK, capture.hr) << std::string(capture.description.begin(), capture.description.end());
  const Event* complete = Last(morvane::kEventCaptureComplete);
  ASSERT_NE(nullptr, complete);
  const LONG captured = complete->arguments[0].v.lVal;
  const LONG dropped = complete->arguments[1].v.lVal;
  EXPECT_EQ(150, captured + dropped);
  EXPECT_NEAR(75, dropped, 2);
  std::printf("camera at half its rate, 5 s: %ld captured, %ld dropped\n", static_cast<long>(captured),
              static_cast<long>(dropped));
}

// Frames without sample times (Wine's own capture filter) that the queue
// loses while the host is busy are counted and reported, not lost silently.
TEST_F(CameraTest, FramesLostWithoutTimesAreCountedAsDropped) {
  SelectCamera(1, 320, 240);
  ::SetEnvironmentVariableW(L"MORVANE_TEST_CAMERA_FAULT", L"no_times");
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  int frames = 0;
  sink_.on_event = [&](DISPID id, DISPPARAMS*) {
    // A host busy for 0.6 s: more frames than the queue holds come meanwhile.
    if (id == morvane::kEventStreamFrame && ++frames >= 5 && frames < 10) ::Sleep(120);
  };
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  const Event* complete = Last(morvane::kEventCaptureComplete);
  ASSERT_NE(nullptr, complete);
  EXPECT_EQ(30, complete->arguments[0].v.lVal + complete->arguments[1].v.lVal);
  EXPECT_GE(complete->arguments[1].v.lVal, 5) << "dropped";
  EXPECT_NE(nullptr, Last(morvane::kEventFrameDropped));
}

// Unregisters the test camera for as long as it lives (as if unplugged).
class UnpluggedCamera {
 public:
  UnpluggedCamera() : dll_(::LoadLibraryW(EnvPath(L"MORVANE_TEST_CAMERA_DLL").c_str())) {
    if (dll_) ok_ = Call("DllUnregisterServer") == S_OK;
  }
  ~UnpluggedCamera() {
    if (dll_) {
      Call("DllRegisterServer");
      ::FreeLibrary(dll_);
    }
  }
  UnpluggedCamera(const UnpluggedCamera&) = delete;
  UnpluggedCamera& operator=(const UnpluggedCamera&) = delete;
  bool ok() const { return ok_; }

 private:
  HRESULT Call(const char* name) {
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(dll_, name)));
    return entry ? entry() : E_FAIL;
  }
  HMODULE dll_;
  bool ok_ = false;
};

// A selected camera that is no longer listed keeps its index (another
// device is never slipped in its place), the host hears of it, and a
// capture from it fails with a message; listed again, it works again.
TEST_F(CameraTest, ASelectedCameraThatWentAwayKeepsItsPlaceAndSaysSo) {
  SelectCamera(1, 320, 240);
  const int index = CameraIndex();
  {
    UnpluggedCamera unplugged;
    ASSERT_TRUE(unplugged.ok());
    sink_.events.clear();
    EXPECT_EQ(index + 1, GetProperty(control(), dispid::kDeviceCount).value.v.iVal);
    EXPECT_EQ(index, GetProperty(control(), dispid::kDeviceIndex).value.v.iVal);
    EXPECT_NE(nullptr, Last(morvane::kEventError)) << "not reported";
    CallResult capture = CallMethod(control(), dispid::kStartStreamCapture);
    EXPECT_NE(S_OK, capture.hr);
    EXPECT_FALSE(capture.description.empty());
  }
  EXPECT_EQ(index, CameraIndex());
  sink_.events.clear();
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  const Event* complete = Last(morvane::kEventCaptureComplete);
  ASSERT_NE(nullptr, complete);
  EXPECT_EQ(30, complete->arguments[0].v.lVal);
}

}  // namespace
}  // namespace morvane_test
