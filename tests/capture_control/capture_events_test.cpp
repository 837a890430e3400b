// Captures through the dispatch contract, with the events a host hears.
// The files written here are read back afterwards by ffprobe and ImageMagick
// (check_capture_files.sh).
#include <windows.h>
#include <mmsystem.h>
#include <olectl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "avi_walk.h"
#include "control_fixture.h"

namespace morvane_test {
namespace {

std::wstring OutPath(const wchar_t* file) { return EnvPath(L"MORVANE_TEST_OUT") + L"\\" + file; }

void* LongToAddress(LONG value) { return reinterpret_cast<void*>(static_cast<UINT_PTR>(static_cast<ULONG>(value))); }

class CaptureTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ASSERT_EQ(S_OK, host_->Advise(&sink_));
  }
  // Rate, time limit and size of the next capture; the caller asserts the
  // result, so a refused put names the test's line.
  ::testing::AssertionResult Configure(double rate, double seconds, int width, int height) {
    const struct {
      DISPID id;
      Var value;
    } puts[] = {
        {dispid::kCaptureRate, Var::R8(rate)},     {dispid::kTimeLimit, Var::R8(seconds)},
        {dispid::kTimeLimitEnabled, Var::I2(1)},   {dispid::kCaptureWidth, Var::R8(width)},
        {dispid::kCaptureHeight, Var::R8(height)},
    };
    for (const auto& put : puts) {
      const CallResult result = PutProperty(control(), put.id, put.value.v);
      if (result.hr != S_OK) {
        return ::testing::AssertionFailure() << "put of DISPID " << put.id << " answered 0x" << std::hex << result.hr;
      }
    }
    return ::testing::AssertionSuccess();
  }
  std::vector<DISPID> IdsWithout(DISPID skipped) const {
    std::vector<DISPID> ids;
    for (DISPID id : sink_.Ids())
      if (id != skipped) ids.push_back(id);
    return ids;
  }
  const Event* Last(DISPID id) const {
    for (auto it = sink_.events.rbegin(); it != sink_.events.rend(); ++it)
      if (it->id == id) return &*it;
    return nullptr;
  }
  EventSink sink_;
};

TEST_F(CaptureTest, FileCaptureRaisesItsEventsInOrderAndWritesTheFile) {
  ASSERT_TRUE(Configure(10, 1, 320, 240));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kAudioRecording, Var::I2(1).v).hr);  // with the tone track
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(OutPath(L"capture.avi").c_str()).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  std::vector<std::pair<LONG, LONG>> sizes;
  sink_.on_event = [&](DISPID id, DISPPARAMS* params) {
    if (id != kEventStreamFrame) return;
    ASSERT_EQ(5u, params->cArgs);
    ASSERT_EQ(VT_BYREF | VT_I2, params->rgvarg[0].vt);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(LongToAddress(params->rgvarg[2].lVal));
    sizes.emplace_back(info->biWidth, info->biHeight);
    EXPECT_EQ(24, info->biBitCount);
    // The bits must be readable for the whole frame.
    const auto* bits = static_cast<const BYTE*>(LongToAddress(params->rgvarg[1].lVal));
    volatile BYTE last = bits[320 * 3 * 240 - 1];
    (void)last;
  };
  CallResult capture = CallMethod(control(), dispid::kStartCapture);
  ASSERT_EQ(S_OK, capture.hr) << std::hex << capture.scode;

  const std::vector<DISPID> ids = IdsWithout(kEventStatusChanged);
  ASSERT_GE(ids.size(), 3u);
  EXPECT_EQ(kEventCaptureStarted, ids.front());
  EXPECT_EQ(kEventCaptureStopped, ids[ids.size() - 2]);
  EXPECT_EQ(kEventCaptureComplete, ids.back());
  const Event* complete = Last(kEventCaptureComplete);
  const LONG captured = complete->arguments[0].v.lVal;
  const LONG dropped = complete->arguments[1].v.lVal;
  EXPECT_EQ(10, captured + dropped) << "one second at 10 fps is ten frame slots";
  EXPECT_EQ(static_cast<size_t>(captured), sizes.size());
  for (const auto& size : sizes) EXPECT_EQ(std::make_pair(320L, 240L), size);
  EXPECT_EQ(1, Last(kEventCaptureStopped)->arguments[0].v.iVal) << "ended by the time limit";
  EXPECT_EQ(captured, GetProperty(control(), dispid::kCapturedFrames).value.v.lVal);

  // The still commands use the last captured frame.
  EXPECT_EQ(S_OK, CallMethod(control(), dispid::kSaveBitmap, {Var::Text(OutPath(L"frame.bmp").c_str()).v}).hr);
  EXPECT_EQ(S_OK, CallMethod(control(), dispid::kSaveCaptureFile, {Var::Text(OutPath(L"saved.avi").c_str()).v}).hr);
  WIN32_FILE_ATTRIBUTE_DATA original{}, copy{};
  ASSERT_TRUE(::GetFileAttributesExW(OutPath(L"capture.avi").c_str(), GetFileExInfoStandard, &original));
  ASSERT_TRUE(::GetFileAttributesExW(OutPath(L"saved.avi").c_str(), GetFileExInfoStandard, &copy));
  EXPECT_EQ(original.nFileSizeLow, copy.nFileSizeLow);
  // Saving onto the capture file itself leaves it whole.
  EXPECT_EQ(S_OK, CallMethod(control(), dispid::kSaveCaptureFile, {Var::Text(OutPath(L"capture.avi").c_str()).v}).hr);
  ASSERT_TRUE(::GetFileAttributesExW(OutPath(L"capture.avi").c_str(), GetFileExInfoStandard, &copy));
  EXPECT_EQ(original.nFileSizeLow, copy.nFileSizeLow);
}

TEST_F(CaptureTest, StreamCaptureStopsWhenTheHandlerSetsTheStopFlag) {
  ASSERT_TRUE(Configure(20, 5, 160, 120));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  int frames = 0;
  sink_.on_event = [&](DISPID id, DISPPARAMS* params) {
    if (id != kEventStreamFrame) return;
    if (++frames == 3) *params->rgvarg[0].piVal = -1;  // True from a host's StopFlag
  };
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  EXPECT_EQ(3, frames);
  const Event* complete = Last(kEventCaptureComplete);
  ASSERT_NE(nullptr, complete);
  EXPECT_EQ(3, complete->arguments[0].v.lVal);
  EXPECT_EQ(3, Last(kEventCaptureStopped)->arguments[0].v.iVal) << "ended by the stop flag";
}

TEST_F(CaptureTest, CallsMadeFromInsideACaptureAreRefusedOrServed) {
  ASSERT_TRUE(Configure(20, 5, 160, 120));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  std::vector<CallResult> nested;
  int frames = 0;
  sink_.on_event = [&](DISPID id, DISPPARAMS* params) {
    if (id != kEventStreamFrame) return;
    if (++frames == 2) {
      nested.push_back(CallMethod(control(), dispid::kStartCapture));        // another capture
      nested.push_back(CallMethod(control(), dispid::kStartStreamCapture));  // another stream capture
      nested.push_back(CallMethod(control(), dispid::kSaveCaptureFile,
                                  {Var::Text(OutPath(L"x.avi").c_str()).v}));           // file still open
      nested.push_back(PutProperty(control(), dispid::kCaptureWidth, Var::R8(640).v));  // size mid-capture
      nested.push_back(GetProperty(control(), dispid::kCapturing));                     // Capturing
      nested.push_back(CallMethod(control(), dispid::kSaveBitmap, {Var::Text(OutPath(L"nested.bmp").c_str()).v}));
      *params->rgvarg[0].piVal = 1;
    }
  };
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  ASSERT_EQ(6u, nested.size());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(DISP_E_EXCEPTION, nested[i].hr) << i;
    EXPECT_EQ(CTL_E_PERMISSIONDENIED, nested[i].scode) << i;
  }
  EXPECT_EQ(VARIANT_TRUE, nested[4].value.v.boolVal);
  EXPECT_EQ(S_OK, nested[5].hr);
  EXPECT_EQ(2, Last(kEventCaptureComplete)->arguments[0].v.lVal);
  EXPECT_EQ(160, GetProperty(control(), dispid::kCaptureWidth).value.v.iVal);
}

// Motion JPEG chosen in the compression dialog: the file is MJPG, its
// frames the ones reported (check_capture_files.sh reads them back against
// the count left beside the file), and a stored codec that is no longer
// installed is reported and the capture falls back to uncompressed frames.
TEST_F(CaptureTest, CompressionChosenInTheDialogIsWhatTheFileHolds) {
  ASSERT_TRUE(Configure(10, 1, 320, 240));
  const std::wstring file = OutPath(L"capture_mjpg.avi");
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(file.c_str()).v).hr);
  struct Row {
    const char* name;
    int choice;               // in the dialog; -1: a codec that has gone, set in the store
    bool reported;
  };
  const Row rows[] = {{"motion jpeg", 1, false}, {"codec gone", -1, true}, {"uncompressed", 0, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.choice >= 0) {
      DriveDialog(L"ﾋﾞﾃﾞｵ圧縮", IDOK, [&](HWND d) { Select(d, 0, row.choice); });
      ASSERT_EQ(S_OK, CallMethod(control(), dispid::kShowCompressionDialog).hr);
    } else {
      // What a control of an earlier session stored: a compressor since removed.
      ASSERT_TRUE(StoreNumber(L"Compression", 'z' | 'z' << 8 | 'z' << 16 | 'z' << 24));
      host_.reset();
      host_ = std::make_unique<TestHost>(ShowHost(), Creator());
      ASSERT_EQ(S_OK, host_->Advise(&sink_));
      ASSERT_TRUE(Configure(10, 1, 320, 240));
      ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(file.c_str()).v).hr);
    }
    sink_.events.clear();
    const CallResult capture = CallMethod(control(), dispid::kStartCapture);
    ASSERT_EQ(S_OK, capture.hr) << std::hex << capture.scode;
    EXPECT_EQ(row.reported, Last(kEventError) != nullptr);
    const Event* complete = Last(kEventCaptureComplete);
    ASSERT_NE(nullptr, complete);
    std::ifstream in(std::filesystem::path(file), std::ios::binary);
    char head[256] = {};
    in.read(head, sizeof head);
    const std::string text(head, sizeof head);
    const std::size_t strh = text.find("strh");
    ASSERT_NE(std::string::npos, strh);
    // strh's handler: the codec, or nothing for uncompressed frames.
    EXPECT_EQ(row.choice == 1 ? std::string("MJPG") : std::string(4, '\0'), text.substr(strh + 12, 4));
    if (row.choice == 1) {
      std::ofstream count(std::filesystem::path(OutPath(L"capture_mjpg.count")));
      count << complete->arguments[0].v.lVal << "\n";
      ::CopyFileW(file.c_str(), OutPath(L"kept_mjpg.avi").c_str(), FALSE);
    }
  }
}

// What a file of the test prefix's own compressor (tests/test_codec,
// 'MVTC') holds: key frames as they are, the others XORed with the frame
// before, every byte XORed with the mask its settings dialog chose, which
// follows the header of its format in strf.
struct MvtcFile {
  std::string handler;
  std::uint32_t format_size = 0;
  int mask = -1;
  long frames = 0;
  bool first_is_key = false;
  std::vector<std::uint8_t> last;  // the last frame, undone
};

MvtcFile ReadMvtc(const std::wstring& file, std::size_t image) {
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  MvtcFile read;
  const coretest::AviWalk walk = coretest::WalkAvi(bytes);
  if (!walk.ok()) return read;
  read.last.assign(image, 0);
  std::size_t video = 0;
  for (const coretest::AviChunk& chunk : walk.chunks) {
    const std::string id = coretest::FourCcText(chunk.id);
    const std::uint8_t* data = bytes.data() + chunk.offset + 8;
    // The video stream's headers come first: its handler, and its format
    // with the mask after the 40-byte header.
    if (id == "strh" && read.handler.empty()) read.handler.assign(reinterpret_cast<const char*>(data) + 4, 4);
    if (id == "strf" && read.format_size == 0) {
      read.format_size = chunk.size;
      if (chunk.size > 40) read.mask = data[40];
    }
    if (!chunk.in_movi || id != "00dc") continue;
    const bool key = walk.video_key_frames[video++];
    if (chunk.size == 0) continue;
    if (chunk.size != image) return read;
    const std::uint8_t mask = static_cast<std::uint8_t>(read.mask < 0 ? 0 : read.mask);
    for (std::size_t i = 0; i < image; ++i) {
      const std::uint8_t unmasked = static_cast<std::uint8_t>(data[i] ^ mask);
      read.last[i] = key ? unmasked : static_cast<std::uint8_t>(read.last[i] ^ unmasked);
    }
    if (read.frames == 0) read.first_is_key = key;
    ++read.frames;
  }
  return read;
}

// The test compressor chosen by name in the dialog and set up through its
// own settings dialog: its buttons are there for it and not for Motion
// JPEG, its frames and key flags and its own format are in the file,
// undoing them gives back the frame the control kept as its still, and its
// settings reach it again in a later run of the control; settings it no
// longer takes are reported and its defaults used.
TEST_F(CaptureTest, AnInstalledCompressorChosenByNameWritesItsFrames) {
  constexpr int kConfigure = 200;
  constexpr int kAbout = 201;
  constexpr std::size_t kImage = 160 * 3 * 120;
  const std::wstring file = OutPath(L"kept_mvtc.avi");
  std::vector<std::wstring> offered;
  std::vector<std::pair<bool, bool>> buttons;  // configure, about: for Motion JPEG, then for MVTC
  bool about_shown = false;
  bool settings_shown = false;
  DriveDialog(L"ﾋﾞﾃﾞｵ圧縮", IDOK, [&](HWND dialog) {
    offered = Choices(dialog, 0);
    const auto mvtc = std::find(offered.begin(), offered.end(), L"Morvane test codec (MVTC)");
    if (mvtc == offered.end()) return;
    for (int choice : {1, static_cast<int>(mvtc - offered.begin())}) {
      Select(dialog, 0, choice);
      buttons.emplace_back(::IsWindowEnabled(::GetDlgItem(dialog, kConfigure)) != 0,
                           ::IsWindowEnabled(::GetDlgItem(dialog, kAbout)) != 0);
    }
    about_shown = PressAndAnswer(dialog, kAbout, L"About MVTC", IDOK);
    settings_shown = PressAndAnswer(dialog, kConfigure, L"MVTC settings", IDYES);
  });
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kShowCompressionDialog).hr);
  ASSERT_NE(offered.end(), std::find(offered.begin(), offered.end(), L"Morvane test codec (MVTC)"))
      << "the test codec is not listed";
  EXPECT_EQ((std::vector<std::pair<bool, bool>>{{false, false}, {true, true}}), buttons);
  EXPECT_TRUE(about_shown);
  EXPECT_TRUE(settings_shown);

  struct Run {
    const char* name;
    bool new_control;  // which has only the stored settings
    const char* stored_state;  // put in the store first: the FOURCC and a mask
    int mask;
    bool reported;
    bool configure = false;  // its settings dialog answered Yes first
  };
  const Run runs[] = {
      {"as set in the dialog", false, nullptr, 0x5A, false},
      {"a new control", true, nullptr, 0x5A, false},
      {"settings the codec refuses", true, "MVTC\x11\0\0\0", 0, true},
      // Its dialog opens on its defaults rather than refusing to open.
      {"set anew over settings it refuses", true, "MVTC\x11\0\0\0", 0x5A, false, true},
  };
  for (const Run& run : runs) {
    SCOPED_TRACE(run.name);
    if (run.stored_state) {
      ASSERT_TRUE(StoreValue(L"CompressorState", REG_BINARY, run.stored_state, 8));
    }
    if (run.new_control) {
      host_.reset();
      host_ = std::make_unique<TestHost>(ShowHost(), Creator());
      ASSERT_EQ(S_OK, host_->Advise(&sink_));
    }
    if (run.configure) {
      bool shown = false;
      DriveDialog(L"ﾋﾞﾃﾞｵ圧縮", IDOK,
                  [&shown](HWND dialog) { shown = PressAndAnswer(dialog, kConfigure, L"MVTC settings", IDYES); });
      ASSERT_EQ(S_OK, CallMethod(control(), dispid::kShowCompressionDialog).hr);
      EXPECT_TRUE(shown) << "the codec's settings dialog did not open";
    }
    sink_.events.clear();
    ASSERT_TRUE(Configure(10, 1, 160, 120));
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(file.c_str()).v).hr);
    const CallResult capture = CallMethod(control(), dispid::kStartCapture);
    ASSERT_EQ(S_OK, capture.hr) << std::string(capture.description.begin(), capture.description.end());
    const LONG captured = Last(kEventCaptureComplete)->arguments[0].v.lVal;
    std::ofstream(std::filesystem::path(OutPath(L"kept_mvtc.count"))) << captured << "\n";

    const MvtcFile read = ReadMvtc(file, kImage);
    EXPECT_EQ("MVTC", read.handler);
    EXPECT_EQ(44u, read.format_size);
    EXPECT_EQ(run.mask, read.mask) << "the codec's settings were not used";
    EXPECT_EQ(run.reported, Last(kEventError) != nullptr);
    EXPECT_TRUE(read.first_is_key);
    EXPECT_EQ(captured, read.frames);
    // The last frame decoded is the still the control kept.
    DibCanvas canvas(160, 120, 24);
    ASSERT_EQ(S_OK, CallMethod(control(), dispid::kCopyFrameToDC, {Var::I4(canvas.dc_argument()).v}).hr);
    ::GdiFlush();
    EXPECT_EQ(0, std::memcmp(read.last.data(), canvas.bits(), kImage)) << "the decoded last frame is not the still";
  }
}

TEST_F(CaptureTest, UnwritableCaptureFileIsAnErrorBeforeAnyEvent) {
  ASSERT_TRUE(Configure(10, 1, 160, 120));
  const wchar_t* const names[] = {L"Z:\\no\\such\\folder\\c.avi", L"Z:\\tmp"};
  for (const wchar_t* name : names) {
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(name).v).hr);
    sink_.events.clear();
    CallResult capture = CallMethod(control(), dispid::kStartCapture);
    EXPECT_EQ(DISP_E_EXCEPTION, capture.hr);
    EXPECT_EQ(L"Morvane", capture.source);
    EXPECT_FALSE(capture.description.empty());
    EXPECT_EQ(nullptr, Last(kEventCaptureStarted));
    EXPECT_EQ(VARIANT_FALSE, GetProperty(control(), dispid::kCapturing).value.v.boolVal);
  }
}

TEST_F(CaptureTest, EscapeStopsACaptureWithoutTimeLimit) {
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureRate, Var::R8(20).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kTimeLimitEnabled, Var::I2(0).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  int frames = 0;
  sink_.on_event = [&](DISPID id, DISPPARAMS*) {
    if (id == kEventStreamFrame && ++frames == 4) ::PostMessageW(host_->window(), WM_KEYDOWN, VK_ESCAPE, 0);
  };
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  EXPECT_GE(frames, 4);
  EXPECT_LE(frames, 6);
  EXPECT_EQ(2, Last(kEventCaptureStopped)->arguments[0].v.iVal);
}

// Finds a window of ours by class and title on another thread once it is
// visible, then posts a command to it as a user's button press.
void PressWhenShown(const wchar_t* title, int button) {
  std::thread([=] {
    HWND window = nullptr;
    for (int i = 0; i < 200 && !(window && ::IsWindowVisible(window)); ++i) {
      window = ::FindWindowW(L"#32770", title);
      if (!window || !::IsWindowVisible(window)) ::Sleep(25);
    }
    if (window) ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  }).detach();
}

TEST_F(CaptureTest, ConfirmationDecidesWhetherTheCaptureRuns) {
  ASSERT_TRUE(Configure(10, 1, 160, 120));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(OutPath(L"confirmed.avi").c_str()).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kConfirmBeforeCapture, Var::I2(1).v).hr);
  struct Row {
    int button;
    bool runs;
  };
  const Row rows[] = {{IDCANCEL, false}, {IDOK, true}};
  for (const Row& row : rows) {
    sink_.events.clear();
    PressWhenShown(L"Morvane", row.button);
    ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartCapture).hr);
    EXPECT_EQ(row.runs, Last(kEventCaptureComplete) != nullptr) << row.button;
  }
}

TEST_F(CaptureTest, ClicksInTheControlStopOnlyWhenAskedTo) {
  struct Row {
    DISPID property;  // StopOnLeftClick or StopOnRightClick
    SHORT enabled;
    UINT message;
    bool stops;
  };
  const Row rows[] = {
      {dispid::kStopOnLeftClick, 1, WM_LBUTTONDOWN, true},
      {dispid::kStopOnLeftClick, 0, WM_LBUTTONDOWN, false},
      {dispid::kStopOnRightClick, 1, WM_RBUTTONDOWN, true},
      {dispid::kStopOnRightClick, 0, WM_RBUTTONDOWN, false},
  };
  ASSERT_TRUE(Configure(20, 1, 160, 120));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kStopOnLeftClick, Var::I2(0).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kStopOnRightClick, Var::I2(0).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), row.property, Var::I2(row.enabled).v).hr);
    int frames = 0;
    sink_.events.clear();
    sink_.on_event = [&](DISPID id, DISPPARAMS*) {
      if (id == kEventStreamFrame && ++frames == 2) {
        ::PostMessageW(host_->control_window(), row.message, 0, MAKELPARAM(10, 10));
      }
    };
    ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
    const Event* stopped = Last(kEventCaptureStopped);
    ASSERT_NE(nullptr, stopped);
    EXPECT_EQ(row.stops ? 2 : 1, stopped->arguments[0].v.iVal);
    if (row.message == WM_LBUTTONDOWN) {
      EXPECT_NE(nullptr, Last(6)) << "Click is raised either way";
    }
  }
}

TEST_F(CaptureTest, ClosingTheControlDuringACaptureEndsIt) {
  ASSERT_TRUE(Configure(20, 5, 160, 120));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  int frames = 0;
  sink_.on_event = [&](DISPID id, DISPPARAMS*) {
    if (id == kEventStreamFrame && ++frames == 2) {
      ComPtr<IOleObject> ole_object;
      control()->QueryInterface(IID_PPV_ARGS(&ole_object));
      ole_object->Close(OLECLOSE_NOSAVE);
    }
  };
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  EXPECT_EQ(2, frames);
  EXPECT_EQ(5, Last(kEventCaptureStopped)->arguments[0].v.iVal) << "ended by closing";
  EXPECT_EQ(nullptr, host_->control_window()) << "the window went with Close";
}

TEST_F(CaptureTest, QuitMessageEndsTheCaptureAndIsLeftForTheHost) {
  ASSERT_TRUE(Configure(20, 5, 160, 120));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  int frames = 0;
  sink_.on_event = [&](DISPID id, DISPPARAMS*) {
    if (id == kEventStreamFrame && ++frames == 2) ::PostQuitMessage(7);
  };
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  EXPECT_EQ(2, frames);
  EXPECT_EQ(5, Last(kEventCaptureStopped)->arguments[0].v.iVal);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the host's loop must still see it";
  EXPECT_EQ(7u, msg.wParam);
}

TEST_F(CaptureTest, OverlayAndPreviewExcludeEachOther) {
  struct Row {
    DISPID property;
    SHORT value;
    bool preview;
    bool overlay;
  };
  const Row rows[] = {{dispid::kPreview, 1, true, false},
                      {dispid::kOverlay, 1, false, true},
                      {dispid::kPreview, 1, true, false},
                      {dispid::kPreview, 0, false, false}};
  for (const Row& row : rows) {
    ASSERT_EQ(S_OK, PutProperty(control(), row.property, Var::I2(row.value).v).hr);
    EXPECT_EQ(row.preview, GetProperty(control(), dispid::kPreview).value.v.boolVal != VARIANT_FALSE);
    EXPECT_EQ(row.overlay, GetProperty(control(), dispid::kOverlay).value.v.boolVal != VARIANT_FALSE);
    const Event* changed = Last(8);
    ASSERT_NE(nullptr, changed);
    EXPECT_EQ(row.preview, changed->arguments[0].v.boolVal != VARIANT_FALSE);
    EXPECT_EQ(row.overlay, changed->arguments[1].v.boolVal != VARIANT_FALSE);
  }
}

TEST_F(CaptureTest, ClipboardHoldsTheCurrentFrame) {
  ASSERT_TRUE(Configure(10, 1, 160, 120));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  std::vector<BYTE> last;
  sink_.on_event = [&](DISPID id, DISPPARAMS* params) {
    if (id != kEventStreamFrame) return;
    const auto* bits = static_cast<const BYTE*>(LongToAddress(params->rgvarg[1].lVal));
    last.assign(bits, bits + 160 * 3 * 120);
  };
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kStartStreamCapture).hr);
  ASSERT_FALSE(last.empty());
  ASSERT_EQ(S_OK, CallMethod(control(), dispid::kCopyToClipboard).hr);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  HANDLE data = ::GetClipboardData(CF_DIB);
  ASSERT_NE(nullptr, data);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(::GlobalLock(data));
  ASSERT_NE(nullptr, header);
  EXPECT_EQ(160, header->biWidth);
  EXPECT_EQ(120, header->biHeight);
  EXPECT_EQ(24, header->biBitCount);
  const BYTE* pixels = reinterpret_cast<const BYTE*>(header) + header->biSize;
  EXPECT_EQ(0, std::memcmp(pixels, last.data(), last.size()));
  ::GlobalUnlock(data);
  ::CloseClipboard();
}

// The clipboard data has an owner window of the control's own, whether or
// not the control is in place: before activation and after Close.
TEST_F(CaptureTest, ClipboardCopyWorksWithoutTheControlsWindow) {
  CLSID clsid{};
  ASSERT_EQ(S_OK, ::CLSIDFromProgID(L"MORVANELib.Morvane", &clsid));
  ComPtr<IDispatch> inactive;
  ASSERT_EQ(S_OK, ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&inactive)));
  ComPtr<IOleObject> ole_object;
  ASSERT_EQ(S_OK, control()->QueryInterface(IID_PPV_ARGS(&ole_object)));
  ASSERT_EQ(S_OK, ole_object->Close(OLECLOSE_NOSAVE));
  ASSERT_EQ(nullptr, host_->control_window());

  struct Row {
    const char* name;
    IDispatch* control;
  };
  const Row rows[] = {{"never activated", inactive.Get()}, {"after Close", control()}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::CloseClipboard();
    CallResult copy = CallMethod(row.control, dispid::kCopyToClipboard);
    ASSERT_EQ(S_OK, copy.hr) << copy.scode;
    EXPECT_NE(nullptr, ::GetClipboardOwner()) << "the data has an owner";
    ASSERT_TRUE(::OpenClipboard(nullptr));
    EXPECT_NE(nullptr, ::GetClipboardData(CF_DIB));
    ::CloseClipboard();
  }
}


// Sound from the test bed's own sound server (scripts/wine-env.sh): what a
// test plays to the default output goes into the null sink "cam", whose
// monitor Wine lists as the input "Monitor of Camera"; "Monitor of Spare"
// is an input a test may take away. check_sound_files.sh reads the files
// back with ffmpeg.
constexpr wchar_t kCameraMonitor[] = L"Monitor of Camera";
constexpr wchar_t kSpareMonitor[] = L"Monitor of Spare";
constexpr int kSoundRate = 22050;

std::string Narrow(const std::wstring& text) {
  std::string narrow(text.size() * 4 + 1, '\0');
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(),
                                         static_cast<int>(narrow.size()), nullptr, nullptr);
  narrow.resize(static_cast<size_t>(std::max(size, 0)));
  return narrow;
}

bool HasInput(const wchar_t* name) {
  for (UINT i = 0; i < ::waveInGetNumDevs(); ++i) {
    WAVEINCAPSW caps{};
    if (::waveInGetDevCapsW(i, &caps, sizeof(caps)) == MMSYSERR_NOERROR && std::wcscmp(caps.szPname, name) == 0) {
      return true;
    }
  }
  return false;
}

// Runs a shell command on the test bed's host (Wine starts Unix programs
// too) and waits for it: Wine cannot wait on a Unix process, so the
// command leaves a mark in /tmp (Z: to Wine) when it is done.
bool RunOnHost(const std::wstring& command) {
  const std::wstring mark = L"/tmp/morvane-test-" + std::to_wstring(::GetCurrentProcessId()) + L".done";
  const std::wstring mark_seen_here = L"Z:" + mark;
  ::DeleteFileW(mark_seen_here.c_str());
  std::wstring line = L"/bin/sh -c \"" + command + L"; touch " + mark + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  // Wine hands back no process for a Unix program, and what it leaves in
  // hThread then is not ours to close: closing it once took the control's
  // own sound event, whose number it happened to be.
  if (process.hProcess) {
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  for (int i = 0; i < 100; ++i) {
    if (::GetFileAttributesW(mark_seen_here.c_str()) != INVALID_FILE_ATTRIBUTES) {
      ::DeleteFileW(mark_seen_here.c_str());
      return true;
    }
    ::Sleep(50);
  }
  return false;
}

// A sine that steps up once a second, 400, 700, 1000, 1300 Hz, without a
// jump in phase.
std::vector<std::int16_t> SteppedTone(int seconds) {
  std::vector<std::int16_t> samples;
  double phase = 0;
  for (int second = 0; second < seconds; ++second) {
    const double step = (400.0 + 300.0 * second) / kSoundRate;
    for (int i = 0; i < kSoundRate; ++i) {
      samples.push_back(static_cast<std::int16_t>(16000 * std::sin(6.283185307179586 * phase)));
      phase += step;
      if (phase >= 1) phase -= 1;
    }
  }
  return samples;
}

// Silence with a 10 ms click at each of `at` (seconds).
std::vector<std::int16_t> Clicks(int seconds, std::initializer_list<double> at) {
  std::vector<std::int16_t> samples(static_cast<size_t>(seconds * kSoundRate));
  for (double click : at) {
    const auto first = static_cast<size_t>(click * kSoundRate);
    for (size_t i = first; i < first + kSoundRate / 100; ++i) samples[i] = (i / 8) % 2 ? 30000 : -30000;
  }
  return samples;
}

// The samples as a WAV file in /tmp, for the host's own player.
std::wstring WriteWave(const std::vector<std::int16_t>& samples, const wchar_t* name) {
  const std::wstring path = std::wstring(L"/tmp/") + name + std::to_wstring(::GetCurrentProcessId()) + L".wav";
  const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
  const std::uint32_t header[] = {0x46464952, 36 + data_bytes, 0x45564157, 0x20746d66, 16, 0x00010001,
                                  kSoundRate, kSoundRate * 2, 0x00100002, 0x61746164, data_bytes};
  HANDLE file = ::CreateFileW((L"Z:" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  DWORD written = 0;
  ::WriteFile(file, header, sizeof(header), &written, nullptr);
  ::WriteFile(file, samples.data(), data_bytes, &written, nullptr);
  ::CloseHandle(file);
  return path;
}

// The longest the window thread went without handing out a thread
// timer's ticks (NoteTick, every 20 ms).
DWORD g_last_tick = 0;
DWORD g_longest_gap = 0;
void CALLBACK NoteTick(HWND, UINT, UINT_PTR, DWORD) {
  const DWORD now = ::GetTickCount();
  g_longest_gap = std::max(g_longest_gap, now - g_last_tick);
  g_last_tick = now;
}

class SoundTest : public CaptureTest {
 protected:
  void SetUp() override {
    CaptureTest::SetUp();
    ASSERT_TRUE(HasInput(kCameraMonitor)) << "the test bed has no sound server (scripts/wine-testbed.sh)";
  }
  // The audio dialog, as a user picks an input by name.
  ::testing::AssertionResult ChooseInput(const wchar_t* name) {
    int index = -1;
    DriveDialog(L"ｵｰﾃﾞｨｵ ﾌｫｰﾏｯﾄ", IDOK, [&](HWND dialog) {
      index = static_cast<int>(::SendDlgItemMessageW(dialog, 100, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                     reinterpret_cast<LPARAM>(name)));
      if (index >= 0) Select(dialog, 0, index);
    });
    const CallResult shown = CallMethod(control(), dispid::kShowAudioDialog);
    if (shown.hr != S_OK || index < 0) {
      return ::testing::AssertionFailure() << "input not offered (" << index << "), dialog 0x" << std::hex << shown.hr;
    }
    return ::testing::AssertionSuccess();
  }
};

// The recorded sound is the played one, from the moment the capture
// starts: check_sound_files.sh finds the steps a second apart and the
// click within one frame (0.1 s) of when it was played, and sound as long
// as picture. The long capture lasts MORVANE_SOUND_SECONDS (10 s unless
// set; 60 s or more by hand), with clicks a second after its start and a
// second before its end: any drift between the clocks of sound and picture
// shows between them. All are played by the host's own player: Wine's
// output has come out late (a click by 0.17 s) and slipped under load.
TEST_F(SoundTest, TheChosenInputIsRecordedInStepWithThePicture) {
  wchar_t value[16] = {};
  const int long_seconds =
      std::max(3, ::GetEnvironmentVariableW(L"MORVANE_SOUND_SECONDS", value, 16) ? _wtoi(value) : 10);
  struct Row {
    const char* name;
    const wchar_t* file;
    int seconds;
    std::vector<std::int16_t> played;
  };
  const Row rows[] = {
      {"stepped tone", L"sound_steps.avi", 4, SteppedTone(4)},
      {"click at 2 s", L"sound_click.avi", 4, Clicks(4, {2.0})},
      {"long, clicks 1 s in and 1 s before the end", L"sound_long.avi", long_seconds,
       Clicks(long_seconds + 1, {1.0, long_seconds - 1.0})},
  };
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kAudioRecording, Var::I2(1).v).hr);
  ASSERT_TRUE(ChooseInput(kCameraMonitor));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(Configure(10, row.seconds, 160, 120));
    const std::wstring wave = WriteWave(row.played, L"morvane-sound-");
    ASSERT_FALSE(wave.empty());
    sink_.events.clear();
    // The input takes over a second to deliver: the window stays live meanwhile.
    g_last_tick = ::GetTickCount();
    g_longest_gap = 0;
    UINT_PTR ticks = ::SetTimer(nullptr, 0, 20, &NoteTick);
    sink_.on_event = [&](DISPID id, DISPPARAMS*) {
      if (id != kEventCaptureStarted) return;
      NoteTick(nullptr, 0, 0, 0);
      ::KillTimer(nullptr, ticks);
      EXPECT_TRUE(RunOnHost(L"paplay --device=cam " + wave + L" & true"));
    };
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(OutPath(row.file).c_str()).v).hr);
    const CallResult capture = CallMethod(control(), dispid::kStartCapture);
    ASSERT_EQ(S_OK, capture.hr) << std::hex << capture.scode;
    EXPECT_LT(g_longest_gap, 500u) << "the window thread stood still while the input started";
    EXPECT_EQ(nullptr, Last(kEventError)) << "sound reported lost";
    const Event* complete = Last(kEventCaptureComplete);
    ASSERT_NE(nullptr, complete);
    EXPECT_EQ(10 * row.seconds, complete->arguments[0].v.lVal + complete->arguments[1].v.lVal);
    ::DeleteFileW((L"Z:" + wave).c_str());
  }
}

// Inputs that are not there: one chosen and gone refuses to start (no
// file); one taken away during the capture leaves silence, reported, in a
// file whose sound still lasts as long as its picture.
TEST_F(SoundTest, AnInputGoneIsReportedAndTheFileStaysWhole) {
  ASSERT_TRUE(Configure(10, 4, 160, 120));
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kAudioRecording, Var::I2(1).v).hr);
  ASSERT_TRUE(ChooseInput(kSpareMonitor));
  {
    // Stored by name, as another control (or an earlier run) left it.
    ASSERT_TRUE(StoreText(L"AudioInput", L"USB ﾏｲｸ"));
    TestHost second;
    ASSERT_TRUE(second.ok());
    const std::wstring file = OutPath(L"sound_gone.avi");
    ::DeleteFileW(file.c_str());
    ASSERT_EQ(S_OK, PutProperty(second.control(), dispid::kAudioRecording, Var::I2(1).v).hr);
    ASSERT_EQ(S_OK, PutProperty(second.control(), dispid::kCaptureFileName, Var::Text(file.c_str()).v).hr);
    const CallResult refused = CallMethod(second.control(), dispid::kStartCapture);
    EXPECT_EQ(DISP_E_EXCEPTION, refused.hr);
    EXPECT_EQ(CTL_E_DEVICEUNAVAILABLE, refused.scode);
    EXPECT_NE(std::wstring::npos, refused.description.find(L"「USB ﾏｲｸ」")) << Narrow(refused.description);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(file.c_str())) << "a file was left";
  }

  // A tone into the input that goes, played by the test bed's own tools.
  ASSERT_TRUE(RunOnHost(L"sox -n -r 22050 -c 1 -b 16 -t wav - synth 6 sine 500 vol 0.5 | paplay --device=spare & true"));
  ::Sleep(300);
  long frames = 0;
  sink_.on_event = [&](DISPID id, DISPPARAMS*) {
    if (id == kEventStreamFrame && ++frames == 15) {
      EXPECT_TRUE(RunOnHost(L"pactl unload-module $(pactl list short modules | awk '/sink_name=spare/ {print $1}')"));
    }
  };
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(OutPath(L"sound_removed.avi").c_str()).v).hr);
  const CallResult capture = CallMethod(control(), dispid::kStartCapture);
  // Put back for the next run, whatever happened.
  RunOnHost(L"pactl load-module module-null-sink sink_name=spare sink_properties=device.description=Spare");
  ASSERT_EQ(S_OK, capture.hr) << std::hex << capture.scode;
  const Event* error = Last(kEventError);
  ASSERT_NE(nullptr, error) << "the lost sound was not reported";
  const std::wstring text(error->arguments[1].v.bstrVal);
  EXPECT_NE(std::wstring::npos, text.find(L"無音")) << Narrow(text);
  std::printf("input taken away after 1.5 s of 4: %s (0x%08lx)\n", Narrow(text).c_str(),
              static_cast<unsigned long>(error->arguments[0].v.lVal));
}

}  // namespace
}  // namespace morvane_test
