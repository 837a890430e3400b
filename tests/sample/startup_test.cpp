// Start-up against the strict fake: the reads in their order, the handlers
// that the assignments run, and the edge cases of the control's answers.
#include <gtest/gtest.h>

#include "main_window/startup_sequence.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

using sample::CheckId;
using sample::CommandId;

TEST_F(SampleWindowTest, StartUpReadsEachValueAtItsStepAndRunsOnlyTheDueHandlers) {
  ASSERT_TRUE(StartWindow());
  const std::vector<std::wstring> expected = WithHandles(
      {
          L"get Preview", L"get AudioRecording", L"get TimeLimit", L"get ConfirmBeforeCapture", L"get Overlay",
          L"get HasOverlay", L"get StopOnLeftClick", L"get StopOnRightClick", L"get CaptureFileName",
          L"get CaptureRate", L"get TimeLimit", L"get HasFormatDialog", L"get HasSourceDialog",
          L"get CaptureWidth", L"get CaptureHeight", L"get Width", L"get Height", L"get PreviewRate",
          L"put StatusWindow I4 $Text4", L"get DeviceCount", L"get DeviceCount", L"call DeviceName I2& 0",
          L"put DeviceIndex I2 0",
      },
      Item(sample::TextId(4)));
  EXPECT_EQ(log_.lines(), expected);
  EXPECT_EQ(window().StopFlag(), -1);
  EXPECT_TRUE(errors_.empty());
  EXPECT_TRUE(messages_.empty());
}

struct StartupCase {
  const char* name;
  std::vector<std::pair<DISPID, Answer>> script;
  std::vector<std::wstring> actions;  // puts and calls, in order
  std::vector<std::pair<int, std::wstring>> texts;
  std::vector<std::pair<int, int>> checks;     // box, state
  std::vector<std::pair<int, bool>> enabled;   // widget id, enabled
  std::vector<std::wstring> devices;
};

const StartupCase kStartupCases[] = {
    {"no device gives the one entry, selected, and DeviceIndex 0 once",
     {{24, I2(0)}},
     {L"put StatusWindow I4 $Text4", L"put DeviceIndex I2 0"},
     {},
     {},
     {},
     {L"No Devices"}},
    {"three devices, names in order",
     {{24, I2(3)}},
     {L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0", L"call DeviceName I2& 1", L"call DeviceName I2& 2",
      L"put DeviceIndex I2 0"},
     {},
     {},
     {},
     {L"Device 0", L"Device 1", L"Device 2"}},
    {"time limit 0 leaves the box clear and the limit off",
     {{8, I2(0)}, {7, Bool(true)}},
     {L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0", L"put DeviceIndex I2 0"},
     {{5, L"0"}},
     {{4, 0}},
     {},
     {L"Device 0"}},
    {"time limit 30 checks the box and switches the limit on",
     {{8, I2(30)}},
     {L"put TimeLimitEnabled I2 1", L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0",
      L"put DeviceIndex I2 0"},
     {{5, L"30"}},
     {{4, 1}},
     {},
     {L"Device 0"}},
    {"rate 14.5 shows 14, ties to even",
     {{4, R8(14.5)}},
     {L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0", L"put DeviceIndex I2 0"},
     {{3, L"14"}},
     {},
     {},
     {L"Device 0"}},
    {"rate 15.5 shows 16",
     {{4, R8(15.5)}},
     {L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0", L"put DeviceIndex I2 0"},
     {{3, L"16"}},
     {},
     {},
     {L"Device 0"}},
    {"no overlay hardware disables the box but keeps it checked",
     {{21, Bool(false)}, {9, Bool(true)}},
     {L"put Overlay I2 1", L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0", L"put DeviceIndex I2 0"},
     {},
     {{6, 1}},
     {{CheckId(6), false}},
     {L"Device 0"}},
    {"no format or source dialog disables those buttons only",
     {{18, Bool(false)}, {19, Bool(false)}},
     {L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0", L"put DeviceIndex I2 0"},
     {},
     {},
     {{CommandId(3), false}, {CommandId(4), false}, {CommandId(5), true}, {CommandId(11), true}},
     {L"Device 0"}},
    {"352 x 288 shows 352 and the locked height 264",
     {{22, I2(352)}, {23, I2(288)}},
     {L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0", L"put DeviceIndex I2 0"},
     {{7, L"352"}, {8, L"264"}, {10, L"4800"}, {11, L"3600"}},
     {{7, 1}, {2, 0}},
     {},
     {L"Device 0"}},
    {"every Boolean true puts each back as 1",
     {{2, Bool(true)}, {3, Bool(true)}, {6, Bool(true)}, {9, Bool(true)}, {12, Bool(true)}, {13, Bool(true)}},
     {L"put Preview I2 1", L"put AudioRecording I2 1", L"put ConfirmBeforeCapture I2 1", L"put Overlay I2 1",
      L"put StopOnLeftClick I2 1", L"put StopOnRightClick I2 1", L"put StatusWindow I4 $Text4",
      L"call DeviceName I2& 0", L"put DeviceIndex I2 0"},
     {},
     {{1, 1}, {3, 1}, {5, 1}, {6, 1}, {8, 1}, {9, 1}},
     {},
     {L"Device 0"}},
    {"a preview rate other than 15 is put back through the change handler",
     {{10, I2(30)}},
     {L"put PreviewRate R8 30", L"put StatusWindow I4 $Text4", L"call DeviceName I2& 0",
      L"put DeviceIndex I2 0"},
     {{9, L"30"}},
     {},
     {},
     {L"Device 0"}},
};

class StartupCases : public SampleWindowTest, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupCases, FillsTheWindowFromTheControl) {
  const StartupCase& c = GetParam();
  for (const auto& [id, answer] : c.script) fake().Script(id, answer);
  ASSERT_TRUE(StartWindow()) << (errors_.empty() ? L"" : errors_[0].description());
  EXPECT_EQ(log_.Actions(), WithHandles(c.actions, Item(sample::TextId(4))));
  for (const auto& [n, text] : c.texts) EXPECT_EQ(FieldText(n), text) << "Text" << n;
  for (const auto& [n, state] : c.checks) EXPECT_EQ(window().Check(n).State(), state) << "Check" << n;
  for (const auto& [id, enabled] : c.enabled) EXPECT_EQ(IsWindowEnabled(Item(id)) != FALSE, enabled) << id;
  std::vector<std::wstring> devices;
  for (std::int16_t i = 0; i < window().Combo1().Count(); ++i) devices.push_back(window().Combo1().Entry(i));
  EXPECT_EQ(devices, c.devices);
  EXPECT_EQ(window().Combo1().Selected(), 0);
  EXPECT_EQ(window().StopFlag(), -1);
}

INSTANTIATE_TEST_SUITE_P(Edges, StartupCases, ::testing::ValuesIn(kStartupCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(SampleWindowTest, DeviceNameGetsAReferenceToTheOneRunningCounter) {
  fake().Script(24, I2(3));
  ASSERT_TRUE(StartWindow());
  const auto& refs = fake().device_name_refs();
  ASSERT_EQ(refs.size(), 3u);
  EXPECT_EQ(refs[0], refs[1]);
  EXPECT_EQ(refs[1], refs[2]);
}

struct FailureCase {
  const char* name;
  DISPID dispid;
  Answer answer;
  long error_number;
  bool status_window_put;  // whether start-up got as far as handing the control the status line
};

const FailureCase kFailureCases[] = {
    {"capture rate beyond 16 bits overflows when the rate field is filled", 4, I4(40000), 6, false},
    {"time limit beyond 16 bits overflows when the time-limit box is set", 8, I4(-40000), 6, false},
    {"preview rate beyond 16 bits overflows when the preview-rate field is filled", 10, R8(32767.5), 6, false},
    {"a negative device count leaves nothing to select", 24, I2(-1), 380, true},
    {"a failing control call carries its own HRESULT", 2, Fails(static_cast<HRESULT>(0x80040201), L"busy"),
     static_cast<long>(0x80040201), false},
};

class StartupFailures : public SampleWindowTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(StartupFailures, ReachTheReportAndEndStartUp) {
  const FailureCase& c = GetParam();
  fake().Script(c.dispid, c.answer);
  EXPECT_FALSE(StartWindow());
  ASSERT_EQ(errors_.size(), 1u) << c.name;
  EXPECT_EQ(errors_[0].number(), c.error_number) << c.name;
  const auto actions = log_.Actions();
  bool status_put = false;
  for (const auto& line : actions) status_put |= line.rfind(L"put StatusWindow", 0) == 0;
  EXPECT_EQ(status_put, c.status_window_put) << c.name;
  // StopFlag is set True only as the very last step.
  EXPECT_EQ(window().StopFlag(), 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Errors, StartupFailures, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(SampleWindowTest, FailingDescriptionReachesTheReport) {
  fake().Script(2, Fails(static_cast<HRESULT>(0x80040201), L"デバイスが使用中です"));
  EXPECT_FALSE(StartWindow());
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].description(), L"デバイスが使用中です");
  EXPECT_EQ(errors_[0].source(), L"FakeControl");
}

TEST(ControlCreation, AnUnregisteredControlSaysHowToRegisterIt) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  {
    auto factory = sample::RegisteredControlFactory(L"NoSuchLib.NoSuchControl");
    try {
      factory();
      ADD_FAILURE() << "created a control that is not registered";
    } catch (const convert::RuntimeError& error) {
      EXPECT_NE(error.description().find(L"が登録されていません"), std::wstring::npos);
      EXPECT_NE(error.description().find(L"Morvane.ocx"), std::wstring::npos);
      EXPECT_NE(error.description().find(L"NoSuchLib.NoSuchControl"), std::wstring::npos);
    }
  }
  OleUninitialize();
}

}  // namespace
}  // namespace sample_test
