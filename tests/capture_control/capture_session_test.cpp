// The capture session on its own, with a host that records what it hears:
// how the request and the host's answers end a capture, and that every end
// is reported to the host in the same order.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "capture_session.h"
#include "fault_devices.h"

namespace morvane_test {
namespace {

using morvane::CaptureFailure;
using morvane::CaptureRequest;
using morvane::CaptureSession;
using morvane::CaptureState;
using morvane::StopReason;

// What the host does when the n-th frame (from 1) is handed to it.
enum class HostAnswer {
  kNothing,
  kStopFlag,    // the stream handler sets its stop flag
  kClick,       // a left click reaches the thread's queue
  kCloseStop,   // the control asks the capture to end (its window went)
};

class RecordingHost final : public morvane::CaptureHost {
 public:
  RecordingHost(CaptureState& state, HostAnswer answer, long at_frame)
      : state_(state), answer_(answer), at_frame_(at_frame) {}

  void CaptureStarting() override { calls.push_back("starting"); }
  void CaptureStarted(long width, long height) override {
    calls.push_back("started " + std::to_string(width) + "x" + std::to_string(height));
  }
  void ShowCaptureStatus(const wchar_t*) override {}
  void FramesDropped(long) override {}
  bool StreamFrame(long, long, const void*, const void*) override {
    ++frames;
    if (frames != at_frame_) return false;
    switch (answer_) {
      case HostAnswer::kNothing:
        break;
      case HostAnswer::kStopFlag:
        return true;
      case HostAnswer::kClick:
        ::PostThreadMessageW(::GetCurrentThreadId(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        break;
      case HostAnswer::kCloseStop:
        state_.RequestStop(StopReason::kClosed);
        break;
    }
    return false;
  }
  void DrawCaptureFrame(const morvane::FrameFormat&, const std::uint8_t*) override {}
  void KeepLastFrame(const morvane::FrameFormat& format, const std::uint8_t*) noexcept override {
    kept_width = format.width;
  }
  void CaptureFailed(HRESULT, const wchar_t*) override { calls.push_back("failed"); }
  void CaptureWarning(HRESULT, const wchar_t* text) override {
    calls.push_back("warning");
    warning = text;
  }
  void CaptureStopped(StopReason reason) override {
    calls.push_back("stopped");
    stopped = reason;
  }
  void CaptureComplete(long captured, long) override {
    calls.push_back("complete");
    completed = captured;
  }
  void CaptureEnded() override {
    calls.push_back("ended");
    capturing_at_end = state_.capturing;
  }

  std::vector<std::string> calls;
  long frames = 0;
  int kept_width = 0;
  StopReason stopped = StopReason::kError;
  long completed = -1;
  bool capturing_at_end = true;
  std::wstring warning;

 private:
  CaptureState& state_;
  const HostAnswer answer_;
  const long at_frame_;
};

struct EndRow {
  const char* name;
  bool stop_on_left_click;
  HostAnswer answer;
  StopReason reason;
  bool ends_early;
};

const EndRow kEnds[] = {
    {"time_limit", false, HostAnswer::kNothing, StopReason::kTimeLimit, false},
    {"stop_flag", false, HostAnswer::kStopFlag, StopReason::kStopFlag, true},
    {"click_that_stops", true, HostAnswer::kClick, StopReason::kUserKeyOrClick, true},
    {"click_not_asked_for", false, HostAnswer::kClick, StopReason::kTimeLimit, false},
    {"control_closing", false, HostAnswer::kCloseStop, StopReason::kClosed, true},
};

TEST(CaptureSessionTest, EndsAsTheRequestAndTheHostSayAndReportsEveryEndInOrder) {
  constexpr long kRate = 20;
  constexpr long kAnswerAt = 3;
  for (const EndRow& row : kEnds) {
    SCOPED_TRACE(row.name);
    MSG stale;
    while (::PeekMessageW(&stale, nullptr, 0, 0, PM_REMOVE)) {
    }
    CaptureRequest request;
    request.format.width = 160;
    request.format.height = 120;
    request.rate = kRate;
    request.time_limit_seconds = 1;
    request.stop_on_left_click = row.stop_on_left_click;
    auto devices = MakeFaultDevices();
    CaptureState state;
    RecordingHost host(state, row.answer, kAnswerAt);
    CaptureFailure failure;
    {
      CaptureSession session(request, *devices.front(), host, state, failure);
      EXPECT_TRUE(state.capturing);
      session.Run();
    }
    EXPECT_FALSE(failure);
    const std::vector<std::string> expected = {"starting", "started 160x120", "stopped", "complete", "ended"};
    EXPECT_EQ(expected, host.calls);
    EXPECT_EQ(row.reason, host.stopped);
    EXPECT_EQ(state.captured_frames, host.completed);
    if (row.ends_early) {
      EXPECT_LE(state.captured_frames, kAnswerAt + 1);
    } else {
      EXPECT_EQ(kRate, state.captured_frames);
    }
    EXPECT_EQ(160, host.kept_width);
    EXPECT_FALSE(host.capturing_at_end);
    EXPECT_EQ(nullptr, state.live_bits);
  }
}

}  // namespace
}  // namespace morvane_test
