// The close guard, the exit button and the control's two events.
#include <gtest/gtest.h>

#include "control/event_sink.h"
#include "main_window/capture_events.h"
#include "stream_window/stream_form.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

using sample::CommandId;

TEST_F(SampleWindowTest, CloseIsRefusedWhileStopFlagIsFalseAndAllowedAfter) {
  ASSERT_TRUE(StartWindow());
  window().SetStopFlag(0);
  SendMessageW(window().hwnd(), WM_CLOSE, 0, 0);
  SendMessageW(window().hwnd(), WM_CLOSE, 0, 0);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[0].text, L"ｽﾄﾘｰﾑﾁｬﾌﾟﾁｬ中です。終了できません");
  EXPECT_TRUE(IsWindow(window().hwnd()));
  // Windows ending asks the same question.
  EXPECT_EQ(SendMessageW(window().hwnd(), WM_QUERYENDSESSION, 0, 0), FALSE);
  ASSERT_EQ(messages_.size(), 3u);

  window().SetStopFlag(-1);
  sample::StreamForm::Instance().EnsureCreated();
  HWND main = window().hwnd();
  SendMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_FALSE(sample::StreamForm::Instance().Exists());
  EXPECT_EQ(messages_.size(), 3u);
  EXPECT_TRUE(ended_.empty());  // idle: an orderly end through the message loop
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(SampleWindowTest, ExitButtonEndsTheProgramWithoutAQuestion) {
  ASSERT_TRUE(StartWindow());
  window().SetStopFlag(0);  // as during a capture
  HWND main = window().hwnd();
  Click(CommandId(6));
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(IsWindow(main));
}

TEST_F(SampleWindowTest, ExitDuringACaptureAbandonsThePendingCall) {
  ASSERT_TRUE(StartWindow());
  fake().During(35, [&] { Click(CommandId(6)); });
  Click(CommandId(12));
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(ended_, std::vector<UINT>{0});
  EXPECT_TRUE(window().unloaded());
  EXPECT_FALSE(sample::StreamForm::Instance().Exists());
}

TEST(CaptureReport, ShowsTheCountsAsPassed) {
  struct Row {
    std::int32_t captured, dropped;
    const wchar_t* text;
  };
  const Row rows[] = {
      {120, 3, L"ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ(120) ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ(3)"},
      {0, 0, L"ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ(0) ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ(0)"},
      {-5, -1, L"ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ(-5) ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ(-1)"},
      {INT32_MIN, INT32_MAX, L"ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ(-2147483648) ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ(2147483647)"},
  };
  for (const Row& r : rows) EXPECT_EQ(sample::CaptureReportText(r.captured, r.dropped), r.text);
}

TEST_F(SampleWindowTest, CaptureCompleteShowsTheReportInAPlainBox) {
  ASSERT_TRUE(StartWindow());
  window().OnCaptureComplete(120, 3);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, L"ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ(120) ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ(3)");
  EXPECT_EQ(messages_[0].style, static_cast<UINT>(MB_OK));
}

// A window of the test's own whose handler runs during the frame's pass over
// the waiting messages.
LRESULT CALLBACK ActionProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP) {
    (*reinterpret_cast<std::function<void()>*>(lparam))();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST_F(SampleWindowTest, StreamFrameAnswersWithStopFlagAsItStandsAfterThePass) {
  ASSERT_TRUE(StartWindow());
  WNDCLASSW wc{};
  wc.lpfnWndProc = ActionProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"SampleTestAction";
  RegisterClassW(&wc);
  HWND action_window = CreateWindowW(L"SampleTestAction", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(action_window, nullptr);
  std::function<void()> set_true = [&] { window().SetStopFlag(-1); };

  struct Row {
    const char* name;
    std::int16_t flag_before;
    bool handler_sets_true;
    std::int16_t answer;
  };
  const Row rows[] = {
      {"outside a capture", -1, false, -1},
      {"during a capture", 0, false, 0},
      {"a handler in the pass sets True", 0, true, -1},
  };
  for (const Row& r : rows) {
    window().SetStopFlag(r.flag_before);
    if (r.handler_sets_true) PostMessageW(action_window, WM_APP, 0, reinterpret_cast<LPARAM>(&set_true));
    std::int16_t stop = 12345;  // sentinel
    // Null addresses and a zero size: the drawing call fails quietly.
    window().OnStreamFrame(0, 0, 0, 0, &stop);
    EXPECT_EQ(stop, r.answer) << r.name;
  }
  EXPECT_TRUE(sample::StreamForm::Instance().Exists());
  EXPECT_TRUE(errors_.empty());
  DestroyWindow(action_window);
  sample::StreamForm::Instance().Destroy();
}

// A receiver that records what the sink hands on.
class RecordingEvents final : public sample::ControlEvents {
 public:
  void OnCaptureComplete(std::int32_t c, std::int32_t d) noexcept override { log.push_back({c, d, 0, 0, 0}); }
  void OnStreamFrame(std::int32_t w, std::int32_t h, std::int32_t i, std::int32_t b,
                     std::int16_t* stop) noexcept override {
    log.push_back({w, h, i, b, 1});
    *stop = -1;
  }
  std::vector<std::vector<std::int32_t>> log;
};

TEST(EventSink, HandsOnTheArgumentsInTheirOrderAndWritesTheStopFlag) {
  sample::EventBinding binding;
  binding.source_iid = IID_NULL;
  binding.capture_complete = 0x60;
  binding.stream_frame = 0x61;
  RecordingEvents events;
  auto* sink = new sample::EventSink(binding, &events);

  VARIANT complete[2];  // last argument first
  VariantInit(&complete[0]);
  VariantInit(&complete[1]);
  V_VT(&complete[1]) = VT_I4;
  V_I4(&complete[1]) = 120;
  V_VT(&complete[0]) = VT_I4;
  V_I4(&complete[0]) = 3;
  DISPPARAMS complete_params{complete, nullptr, 2, 0};
  EXPECT_EQ(sink->Invoke(0x60, IID_NULL, 0, DISPATCH_METHOD, &complete_params, nullptr, nullptr, nullptr), S_OK);

  SHORT stop = 0;
  VARIANT frame[5];
  for (auto& v : frame) VariantInit(&v);
  const LONG values[] = {320, 240, 0x1000, 0x2000};
  for (int i = 0; i < 4; ++i) {
    V_VT(&frame[4 - i]) = VT_I4;
    V_I4(&frame[4 - i]) = values[i];
  }
  V_VT(&frame[0]) = VT_BYREF | VT_I2;
  V_I2REF(&frame[0]) = &stop;
  DISPPARAMS frame_params{frame, nullptr, 5, 0};
  EXPECT_EQ(sink->Invoke(0x61, IID_NULL, 0, DISPATCH_METHOD, &frame_params, nullptr, nullptr, nullptr), S_OK);
  // Other events of the interface are accepted and ignored.
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(sink->Invoke(0x55, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
  // A wrong argument count is refused, not read past.
  EXPECT_EQ(sink->Invoke(0x61, IID_NULL, 0, DISPATCH_METHOD, &complete_params, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);

  EXPECT_EQ(events.log, (std::vector<std::vector<std::int32_t>>{{120, 3, 0, 0, 0}, {320, 240, 0x1000, 0x2000, 1}}));
  EXPECT_EQ(stop, -1);
  sink->Detach();
  EXPECT_EQ(sink->Invoke(0x60, IID_NULL, 0, DISPATCH_METHOD, &complete_params, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(events.log.size(), 2u);
  sink->Release();
}

}  // namespace
}  // namespace sample_test
