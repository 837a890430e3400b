// Captures that go wrong inside the control: the device throws, memory runs
// out while an event is raised, a sink throws. However the capture ends, it
// ends as every capture does (file finished, CaptureStopped and
// CaptureComplete raised, preview back) and the host hears of the failure
// as an error with its description.
//
// The control is linked in and created directly, with the device of
// fault_devices.cpp and this program's own operator new.
#include <olectl.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "allocation_hooks.h"
#include "avi_walk.h"
#include "control.h"
#include "control_fixture.h"
#include "fault_devices.h"

namespace morvane_test {
namespace {

constexpr SHORT kStoppedByError = 4;

std::filesystem::path CaptureFile() {
  wchar_t folder[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  return std::filesystem::path(folder) / L"morvane-fault-test.avi";
}

// Waits, handing out messages, until the device renders again (the preview).
bool PreviewRendersWithin(DWORD milliseconds) {
  const int before = RenderCalls();
  for (DWORD waited = 0; waited < milliseconds; waited += 50) {
    TestHost::Pump(50);
    if (RenderCalls() > before) return true;
  }
  return false;
}

class CaptureFaultTest : public ControlTest {
 protected:
  TestHost::CreateControl Creator() const override { return &morvane::Control::Create; }
  void SetUp() override {
    ControlTest::SetUp();
    ASSERT_EQ(S_OK, host_->Advise(&sink_));
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureRate, Var::R8(20).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kTimeLimit, Var::R8(5).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kTimeLimitEnabled, Var::I2(1).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureWidth, Var::R8(160).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureHeight, Var::R8(120).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCallbackEnabled, Var::Bool(true).v).hr);
    ASSERT_EQ(S_OK, PutProperty(control(), dispid::kPreview, Var::Bool(true).v).hr);
    sink_.events.clear();
  }
  void TearDown() override {
    ArmRenderFault(RenderFault::kNone, -1);
    coretest::FailAllocationAt(-1);
    ControlTest::TearDown();
  }
  // The capture's own events, without the status line and per-frame ones.
  std::vector<DISPID> EndingIds(const EventSink& sink) const {
    std::vector<DISPID> ids;
    for (DISPID id : sink.Ids()) {
      if (id != kEventStatusChanged && id != kEventStreamFrame && id != kEventFrameDropped) ids.push_back(id);
    }
    return ids;
  }
  const Event* Last(const EventSink& sink, DISPID id) const {
    for (auto it = sink.events.rbegin(); it != sink.events.rend(); ++it)
      if (it->id == id) return &*it;
    return nullptr;
  }
  // What every failed capture must leave: the end events after the error,
  // no capture running, the preview back.
  void ExpectEndedByError(const EventSink& sink, LONG captured) {
    const std::vector<DISPID> expected = {kEventCaptureStarted, kEventError, kEventCaptureStopped,
                                         kEventCaptureComplete};
    EXPECT_EQ(expected, EndingIds(sink));
    const Event* stopped = Last(sink, kEventCaptureStopped);
    ASSERT_NE(nullptr, stopped);
    EXPECT_EQ(kStoppedByError, stopped->arguments[0].v.iVal);
    const Event* complete = Last(sink, kEventCaptureComplete);
    ASSERT_NE(nullptr, complete);
    EXPECT_EQ(captured, complete->arguments[0].v.lVal);
    EXPECT_EQ(VARIANT_FALSE, GetProperty(control(), dispid::kCapturing).value.v.boolVal);
    EXPECT_TRUE(PreviewRendersWithin(3000)) << "the preview did not come back";
  }

  EventSink sink_;
  std::array<EventSink, 8> more_sinks_;  // outlive the host, which disconnects them
};

struct DeviceFaultRow {
  const char* name;
  RenderFault fault;
  bool to_file;
  HRESULT scode;
};

const DeviceFaultRow kDeviceFaults[] = {
    {"out_of_memory_file", RenderFault::kOutOfMemory, true, E_OUTOFMEMORY},
    {"capture_error_stream", RenderFault::kCaptureError, false, E_FAIL},
    {"foreign_exception_file", RenderFault::kForeign, true, E_UNEXPECTED},
    {"out_of_memory_stream", RenderFault::kOutOfMemory, false, E_OUTOFMEMORY},
};

TEST_F(CaptureFaultTest, DeviceThatThrowsEndsTheCaptureAsAnError) {
  const std::filesystem::path file = CaptureFile();
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(file.c_str()).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kAudioRecording, Var::I2(1).v).hr);
  for (const DeviceFaultRow& row : kDeviceFaults) {
    SCOPED_TRACE(row.name);
    sink_.events.clear();
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    // Three frames go through; the fourth render throws.
    ArmRenderFault(row.fault, 3);
    const CallResult capture = CallMethod(control(), row.to_file ? dispid::kStartCapture : dispid::kStartStreamCapture);
    EXPECT_EQ(DISP_E_EXCEPTION, capture.hr);
    EXPECT_EQ(row.scode, capture.scode);
    EXPECT_EQ(L"Morvane", capture.source);
    EXPECT_FALSE(capture.description.empty());
    if (row.fault == RenderFault::kCaptureError) {
      EXPECT_EQ(kRenderFaultText, capture.description);
    }
    ExpectEndedByError(sink_, 3);

    if (!row.to_file) continue;
    // The file is finished: three frames, their sound, every index.
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const coretest::AviWalk walk = coretest::WalkAvi(bytes);
    EXPECT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(3u, walk.video_chunks);
    EXPECT_GT(walk.audio_bytes, 0u);
    EXPECT_TRUE(walk.has_idx1 && walk.has_indx);
  }
}

TEST_F(CaptureFaultTest, MemoryRunningOutWhileRaisingAnEventEndsTheCaptureAsAnError) {
  // Nine sinks: more than the control copies without allocating. The last
  // one makes the next allocation fail once, which is the control's copy
  // of its sinks for the next event.
  for (EventSink& sink : more_sinks_) ASSERT_EQ(S_OK, host_->Advise(&sink));
  EventSink& arming = more_sinks_.back();
  arming.record = false;
  int frames = 0;
  arming.on_event = [&](DISPID id, DISPPARAMS*) {
    if (id == kEventStreamFrame && ++frames == 2) coretest::FailAllocationAt(0);
  };
  const CallResult capture = CallMethod(control(), dispid::kStartStreamCapture);
  EXPECT_EQ(DISP_E_EXCEPTION, capture.hr);
  EXPECT_EQ(E_OUTOFMEMORY, capture.scode);
  EXPECT_FALSE(capture.description.empty());
  // The third frame was taken; raising its event is what failed.
  ExpectEndedByError(sink_, 3);
  for (std::size_t i = 0; i + 1 < more_sinks_.size(); ++i) {
    EXPECT_NE(nullptr, Last(more_sinks_[i], kEventCaptureComplete)) << "sink " << i;
  }
}

TEST_F(CaptureFaultTest, SinkThatThrowsLeavesTheOthersAndTheCaptureAlone) {
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kTimeLimit, Var::R8(1).v).hr);  // twenty frame slots
  EventSink& throwing = more_sinks_[0];
  EventSink& after = more_sinks_[1];
  ASSERT_EQ(S_OK, host_->Advise(&throwing));
  ASSERT_EQ(S_OK, host_->Advise(&after));
  throwing.record = false;
  throwing.on_event = [](DISPID id, DISPPARAMS*) {
    if (id == kEventStreamFrame) throw std::runtime_error("a host's handler gone wrong");
  };
  const CallResult capture = CallMethod(control(), dispid::kStartStreamCapture);
  EXPECT_EQ(S_OK, capture.hr) << std::hex << capture.scode;
  const Event* complete = Last(after, kEventCaptureComplete);
  ASSERT_NE(nullptr, complete);
  const std::vector<DISPID> ids = after.Ids();
  EXPECT_EQ(complete->arguments[0].v.lVal, std::count(ids.begin(), ids.end(), kEventStreamFrame))
      << "the sink after the throwing one heard every frame";
  EXPECT_EQ(1, Last(after, kEventCaptureStopped)->arguments[0].v.iVal) << "ended by the time limit";
}

}  // namespace
}  // namespace morvane_test
