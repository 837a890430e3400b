// The commands' call sequences, with the VARIANT types they send.
#include <gtest/gtest.h>

#include <string>

#include "clip_window/clip_form.h"
#include "forms/screen_resolution.h"
#include "stream_window/stream_form.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

using sample::CommandId;

struct CommandCase {
  const char* name;
  int id;  // the widget clicked
  std::vector<std::pair<int, std::wstring>> texts;  // fields set before
  std::vector<int> answers;                         // message-box answers
  std::vector<std::wstring> expected;               // every call, in order
};

const CommandCase kCommandCases[] = {
    {"capture, answer No",
     CommandId(1),
     {{3, L"15"}, {5, L"0"}},
     {IDNO},
     {L"put CallbackEnabled BOOL 0", L"put CaptureRate R8 15", L"put TimeLimit R8 0", L"call StartCapture",
      L"put CallbackEnabled BOOL 0"}},
    {"capture, answer Yes, empty rate, blank before the limit",
     CommandId(1),
     {{3, L""}, {5, L" 7.5"}},
     {IDYES},
     {L"put CallbackEnabled BOOL -1", L"put CaptureRate R8 0", L"put TimeLimit R8 7.5", L"call StartCapture",
      L"put CallbackEnabled BOOL 0"}},
    {"capture sends the rate unrounded",
     CommandId(1),
     {{3, L"7.5fps"}, {5, L"abc"}},
     {IDNO},
     {L"put CallbackEnabled BOOL 0", L"put CaptureRate R8 7.5", L"put TimeLimit R8 0", L"call StartCapture",
      L"put CallbackEnabled BOOL 0"}},
    {"stream capture",
     CommandId(12),
     {},
     {},
     {L"put CallbackEnabled BOOL -1", L"call StartStreamCapture", L"put CallbackEnabled BOOL 0"}},
    {"save with an empty name", CommandId(2), {{1, L""}}, {}, {L"call SaveCaptureFile BSTR ''"}},
    {"save as typed", CommandId(2), {{1, L" C:\\a.avi"}}, {}, {L"call SaveCaptureFile BSTR ' C:\\a.avi'"}},
    {"format dialog re-reads the size",
     CommandId(3),
     {},
     {},
     {L"call ShowFormatDialog", L"get CaptureWidth", L"get CaptureHeight"}},
    {"source dialog", CommandId(4), {}, {}, {L"call ShowSourceDialog"}},
    {"audio dialog", CommandId(5), {}, {}, {L"call ShowAudioDialog"}},
    {"compression dialog", CommandId(11), {}, {}, {L"call ShowCompressionDialog"}},
    {"capture size",
     CommandId(10),
     {{7, L"320"}, {8, L""}},
     {},
     {L"put CaptureWidth R8 320", L"put CaptureHeight R8 0"}},
    {"preview size as singles",
     CommandId(13),
     {{10, L"4800.5"}, {11, L""}},
     {},
     {L"put Width R4 4800.5", L"put Height R4 0"}},
    {"bitmap with an empty name", CommandId(7), {{6, L""}}, {}, {L"call SaveBitmap BSTR ''"}},
    {"copy", CommandId(8), {}, {}, {L"call CopyToClipboard"}},
};

class Commands : public SampleWindowTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(Commands, SendTheirCallsInOrder) {
  const CommandCase& c = GetParam();
  ASSERT_TRUE(StartWindow());
  // Lock boxes off, so writing the size fields runs nothing else.
  window().Check(7).SetState(0);
  for (const auto& [n, text] : c.texts) window().Text(n).SetText(text);
  for (int answer : c.answers) answers_.push_back(answer);
  log_.Clear();
  messages_.clear();
  Click(c.id);
  EXPECT_EQ(log_.lines(), c.expected) << c.name;
  EXPECT_TRUE(errors_.empty()) << c.name << ": " << (errors_.empty() ? L"" : errors_[0].description());
  EXPECT_EQ(window().StopFlag(), -1) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Sequences, Commands, ::testing::ValuesIn(kCommandCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(SampleWindowTest, CaptureAsksTheCallbackQuestionWithYesNoAndQuestionIcon) {
  ASSERT_TRUE(StartWindow());
  answers_.push_back(IDNO);
  Click(CommandId(1));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, L"ｺｰﾙﾊﾞｯｸしますか？");
  EXPECT_EQ(messages_[0].style, static_cast<UINT>(0x24));
}

TEST_F(SampleWindowTest, StopFlagIsFalseWhileEitherCaptureRunsAndACloseIsRefused) {
  ASSERT_TRUE(StartWindow());
  for (DISPID capture : {26, 35}) {
    std::vector<std::int16_t> seen;
    fake().During(capture, [&] {
      seen.push_back(window().StopFlag());
      SendMessageW(window().hwnd(), WM_CLOSE, 0, 0);
    });
    messages_.clear();
    answers_.push_back(IDYES);
    Click(CommandId(capture == 26 ? 1 : 12));
    EXPECT_EQ(seen, std::vector<std::int16_t>{0}) << capture;
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.back().text, L"ｽﾄﾘｰﾑﾁｬﾌﾟﾁｬ中です。終了できません");
    EXPECT_EQ(messages_.back().style, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(IsWindow(window().hwnd()));
    EXPECT_EQ(window().StopFlag(), -1);
  }
}

TEST_F(SampleWindowTest, AFailedCaptureCallPutsTheFlagBackBeforeTheReport) {
  ASSERT_TRUE(StartWindow());
  for (DISPID capture : {26, 35}) {
    fake().Script(capture, Fails(static_cast<HRESULT>(0x80040210), L"no device"));
    errors_.clear();
    answers_.push_back(IDYES);
    log_.Clear();
    Click(CommandId(capture == 26 ? 1 : 12));
    ASSERT_EQ(errors_.size(), 1u) << capture;
    EXPECT_EQ(errors_[0].number(), static_cast<long>(0x80040210));
    EXPECT_EQ(window().StopFlag(), -1) << capture;
    ASSERT_FALSE(log_.lines().empty());
    EXPECT_EQ(log_.lines().back(), L"put CallbackEnabled BOOL 0") << capture;
  }
  // The window can be closed afterwards.
  SendMessageW(window().hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window().hwnd()));
}

// The control refuses a capture clicked while another one runs. The running
// capture goes on as it was: its frames keep coming (CallbackEnabled as it
// had it) and it can still be stopped through StopFlag, which stays False.
struct NestedFailureCase {
  const char* name;
  DISPID outer;  // the capture call pending when the user clicks
  int outer_answer;
  int nested_button;
  std::vector<std::wstring> expected;  // every call, in order
};

const NestedFailureCase kNestedFailureCases[] = {
    {"file capture during a stream capture",
     35,
     IDNO,
     CommandId(1),
     {L"put CallbackEnabled BOOL -1", L"call StartStreamCapture", L"put CallbackEnabled BOOL 0",
      L"put CaptureRate R8 15", L"put TimeLimit R8 0", L"call StartCapture", L"put CallbackEnabled BOOL -1",
      L"put CallbackEnabled BOOL 0"}},
    {"stream capture during a file capture without callbacks",
     26,
     IDNO,
     CommandId(12),
     {L"put CallbackEnabled BOOL 0", L"put CaptureRate R8 15", L"put TimeLimit R8 0", L"call StartCapture",
      L"put CallbackEnabled BOOL -1", L"call StartStreamCapture", L"put CallbackEnabled BOOL 0",
      L"put CallbackEnabled BOOL 0"}},
    {"stream capture during a file capture with callbacks",
     26,
     IDYES,
     CommandId(12),
     {L"put CallbackEnabled BOOL -1", L"put CaptureRate R8 15", L"put TimeLimit R8 0", L"call StartCapture",
      L"put CallbackEnabled BOOL -1", L"call StartStreamCapture", L"put CallbackEnabled BOOL -1",
      L"put CallbackEnabled BOOL 0"}},
};

TEST_F(SampleWindowTest, ANestedCaptureFailureLeavesTheRunningCaptureAsItWas) {
  ASSERT_TRUE(StartWindow());
  for (const NestedFailureCase& c : kNestedFailureCases) {
    const DISPID nested = c.outer == 26 ? 35 : 26;
    fake().Script(c.outer, Answer{});
    fake().Script(nested, Fails(static_cast<HRESULT>(0x80040230), L"already capturing"));
    std::vector<std::int16_t> flags_after_nested;
    answers_.clear();
    fake().During(c.outer, [&] {
      if (nested == 26) answers_.push_back(IDNO);  // the nested file capture's question
      Click(c.nested_button);
      flags_after_nested.push_back(window().StopFlag());
    });
    fake().During(nested, [] {});
    window().Text(3).SetText(L"15");
    window().Text(5).SetText(L"0");
    errors_.clear();
    log_.Clear();
    if (c.outer == 26) answers_.push_back(c.outer_answer);
    Click(c.outer == 26 ? CommandId(1) : CommandId(12));
    EXPECT_EQ(log_.lines(), c.expected) << c.name;
    EXPECT_EQ(flags_after_nested, std::vector<std::int16_t>{0}) << c.name;
    EXPECT_EQ(errors_.size(), 1u) << c.name;
    EXPECT_EQ(window().StopFlag(), -1) << c.name;
    fake().During(c.outer, [] {});
    fake().Script(nested, Answer{});
  }
}

TEST_F(SampleWindowTest, DeviceChoicePutsThePosition) {
  fake().Script(24, I2(3));
  ASSERT_TRUE(StartWindow());
  log_.Clear();
  SelectEntry(2);
  SelectEntry(0);
  EXPECT_EQ(log_.lines(), (std::vector<std::wstring>{L"put DeviceIndex I2 2", L"put DeviceIndex I2 0"}));
}

TEST_F(SampleWindowTest, FormatDialogRewritesTheSizeFields) {
  ASSERT_TRUE(StartWindow());
  window().Check(7).SetState(0);
  fake().Script(22, I2(640));
  fake().Script(23, I2(480));
  Click(CommandId(3));
  EXPECT_EQ(FieldText(7), L"640");
  EXPECT_EQ(FieldText(8), L"480");
}

TEST_F(SampleWindowTest, PreviewSizeResizesTheControlInPlace) {
  ASSERT_TRUE(StartWindow());
  HWND site = Item(sample::kMorvane1Id);
  RECT before{};
  GetWindowRect(site, &before);
  window().Text(10).SetText(L"6000");
  window().Text(11).SetText(L"1500");
  Click(CommandId(13));
  RECT after{};
  GetWindowRect(site, &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right - after.left, 400);
  EXPECT_EQ(after.bottom - after.top, 100);
  EXPECT_EQ(window().Morvane1().Width(), 6000.0f);
  EXPECT_EQ(window().Morvane1().Height(), 1500.0f);
  // A size the window cannot take is refused with a clear error.
  window().Text(10).SetText(L"-15");
  Click(CommandId(13));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].number(), static_cast<long>(0x800A017C));
}

// A display whose vertical resolution differs from its horizontal one.
int WINAPI TallPixelCaps(HDC dc, int index) {
  if (index == LOGPIXELSX) return 96;
  if (index == LOGPIXELSY) return 120;
  return GetDeviceCaps(dc, index);
}

class ScreenResolutionOverride {
 public:
  explicit ScreenResolutionOverride(forms::DeviceCapsFunction caps) { forms::SetDeviceCapsFunction(caps); }
  ~ScreenResolutionOverride() { forms::SetDeviceCapsFunction(nullptr); }
  ScreenResolutionOverride(const ScreenResolutionOverride&) = delete;
  ScreenResolutionOverride& operator=(const ScreenResolutionOverride&) = delete;
};

TEST_F(SampleWindowTest, PreviewSizeConvertsEachSideWithItsOwnResolution) {
  ScreenResolutionOverride tall(&TallPixelCaps);
  ASSERT_TRUE(StartWindow());
  window().Check(2).SetState(0);
  HWND site = Item(sample::kMorvane1Id);
  struct Row {
    const wchar_t* width;
    const wchar_t* height;
    int cx, cy;  // pixels: 96 per inch across, 120 down
  };
  const Row rows[] = {{L"6000", L"1500", 400, 125}, {L"4800", L"3600", 320, 300}, {L"1440", L"1440", 96, 120}};
  for (const Row& r : rows) {
    window().Text(10).SetText(r.width);
    window().Text(11).SetText(r.height);
    Click(CommandId(13));
    RECT rect{};
    GetWindowRect(site, &rect);
    EXPECT_EQ(rect.right - rect.left, r.cx) << r.width;
    EXPECT_EQ(rect.bottom - rect.top, r.cy) << r.height;
    EXPECT_EQ(window().Morvane1().Width(), std::stof(r.width));
    EXPECT_EQ(window().Morvane1().Height(), std::stof(r.height));
  }
  // Putting back what was read moves nothing, however often it is done.
  window().Text(11).SetText(L"1510");
  Click(CommandId(13));
  const float settled = window().Morvane1().Height();
  for (int i = 0; i < 4; ++i) {
    window().Text(11).SetText(std::to_wstring(static_cast<int>(window().Morvane1().Height())));
    Click(CommandId(13));
    EXPECT_EQ(window().Morvane1().Height(), settled) << "put " << i + 1;
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(SampleWindowTest, ShowClipboardShowsTheClipboardWindow) {
  ASSERT_TRUE(StartWindow());
  Click(CommandId(9));
  EXPECT_TRUE(sample::ClipForm::Instance().Exists());
  EXPECT_TRUE(errors_.empty()) << (errors_.empty() ? L"" : errors_[0].description());
}

}  // namespace
}  // namespace sample_test
