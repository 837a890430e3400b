// The option boxes and numeric fields, driven through the real widgets.
#include <gtest/gtest.h>

#include "options/option_handlers.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

using sample::CheckId;

struct ToggleCase {
  int check;
  const wchar_t* member;
};

const ToggleCase kToggleCases[] = {
    {1, L"Preview"}, {3, L"AudioRecording"}, {4, L"TimeLimitEnabled"}, {5, L"ConfirmBeforeCapture"},
    {6, L"Overlay"}, {8, L"StopOnLeftClick"}, {9, L"StopOnRightClick"},
};

TEST_F(SampleWindowTest, EachToggleSendsItsStateUnchangedAsI2) {
  ASSERT_TRUE(StartWindow());
  for (const ToggleCase& c : kToggleCases) {
    log_.Clear();
    Click(CheckId(c.check));  // 0 -> 1
    Click(CheckId(c.check));  // 1 -> 0
    window().Check(c.check).SetState(2);  // grayed, from the program
    window().Check(c.check).SetState(2);  // the same state again runs nothing
    const std::wstring m = c.member;
    EXPECT_EQ(log_.lines(), (std::vector<std::wstring>{L"put " + m + L" I2 1", L"put " + m + L" I2 0",
                                                       L"put " + m + L" I2 2"}))
        << "Check" << c.check;
  }
  EXPECT_TRUE(errors_.empty());
}

struct RatioCase {
  const char* name;
  int lock;          // lock box, set before the step
  int source;        // field the user leaves
  const wchar_t* typed;
  int target;
  const wchar_t* expected;  // the target's text afterwards
};

const RatioCase kRatioCases[] = {
    {"preview width 640", 2, 10, L"640", 11, L"480"},
    {"preview height 481", 2, 11, L"481", 10, L"641"},
    {"capture width 321", 7, 7, L"321", 8, L"240"},
    {"negative rounds down", 7, 7, L"-10", 8, L"-8"},
    {"fraction", 2, 10, L"641.9", 11, L"481"},
    {"empty is 0", 7, 7, L"", 8, L"0"},
    {"trailing letters", 7, 7, L"320abc", 8, L"240"},
    {"no number", 2, 11, L"abc", 10, L"0"},
    {"exponent form from 1E+15", 2, 10, L"2E15", 11, L"1.5E+15"},
    {"capture height to width", 7, 8, L"240", 7, L"320"},
};

TEST_F(SampleWindowTest, RatioStepsOnFocusLoss) {
  ASSERT_TRUE(StartWindow());
  for (const RatioCase& c : kRatioCases) {
    window().Check(c.lock).SetState(1);
    window().Text(c.target).SetText(L"unchanged");
    Type(c.source, c.typed);
    LeaveField(c.source);
    EXPECT_EQ(FieldText(c.target), c.expected) << c.name;
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(SampleWindowTest, WithTheLockClearLeavingASizeFieldChangesNothing) {
  ASSERT_TRUE(StartWindow());
  window().Check(7).SetState(0);
  window().Check(2).SetState(0);
  for (int n : {7, 8, 10, 11}) window().Text(n).SetText(L"100");
  for (int n : {7, 8, 10, 11}) {
    Type(n, L"640");
    LeaveField(n);
    window().Text(n).SetText(L"100");
  }
  for (int n : {7, 8, 10, 11}) EXPECT_EQ(FieldText(n), L"100") << "Text" << n;
}

TEST_F(SampleWindowTest, LockClickDerivesHeightFromWidthAndClearingChangesNothing) {
  ASSERT_TRUE(StartWindow());
  window().Text(10).SetText(L"800");
  window().Text(11).SetText(L"1");
  Click(CheckId(2));  // set
  EXPECT_EQ(FieldText(11), L"600");
  window().Text(11).SetText(L"7");
  Click(CheckId(2));  // clear
  EXPECT_EQ(window().Check(2).State(), 0);
  EXPECT_EQ(FieldText(10), L"800");
  EXPECT_EQ(FieldText(11), L"7");
}

TEST_F(SampleWindowTest, RatioOverflowIsReportedAndWritesNothing) {
  ASSERT_TRUE(StartWindow());
  window().Check(2).SetState(1);
  window().Text(10).SetText(L"1");
  Type(11, L"1.7E308");
  LeaveField(11);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].number(), 6);
  EXPECT_EQ(FieldText(10), L"1");
}

TEST(RatioPartner, FloorsAfterDividingFirst) {
  struct Row {
    double x;
    sample::RatioDirection direction;
    double expected;
  };
  const Row rows[] = {
      {640, sample::RatioDirection::WidthToHeight, 480}, {481, sample::RatioDirection::HeightToWidth, 641},
      {-10, sample::RatioDirection::WidthToHeight, -8},  {641.9, sample::RatioDirection::WidthToHeight, 481},
      {0, sample::RatioDirection::HeightToWidth, 0},
  };
  for (const Row& r : rows) EXPECT_EQ(sample::RatioPartner(r.x, r.direction), r.expected) << r.x;
  EXPECT_THROW(sample::RatioPartner(1.7e308, sample::RatioDirection::HeightToWidth), convert::RuntimeError);
}

TEST_F(SampleWindowTest, PreviewRateIsPutOnEveryChangeAndReadBackOnFocusLoss) {
  ASSERT_TRUE(StartWindow());
  log_.Clear();
  Type(9, L"3");
  Type(9, L"30");
  fake().Script(10, I2(30));
  LeaveField(9);
  EXPECT_EQ(log_.lines(), (std::vector<std::wstring>{L"put PreviewRate R8 3", L"put PreviewRate R8 30",
                                                     L"get PreviewRate"}));
  EXPECT_EQ(FieldText(9), L"30");

  // The control kept another value: the field shows it and the change
  // handler sends it once more.
  log_.Clear();
  Type(9, L"99");
  fake().Script(10, R8(24.5));
  LeaveField(9);
  EXPECT_EQ(log_.lines(), (std::vector<std::wstring>{L"put PreviewRate R8 99", L"get PreviewRate",
                                                     L"put PreviewRate R8 24"}));
  EXPECT_EQ(FieldText(9), L"24");

  log_.Clear();
  Type(9, L"");
  EXPECT_EQ(log_.lines(), (std::vector<std::wstring>{L"put PreviewRate R8 0"}));
}

TEST_F(SampleWindowTest, CaptureFileNameIsWrittenUnchangedOnFocusLoss) {
  ASSERT_TRUE(StartWindow());
  struct Row {
    const wchar_t* typed;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"", L"put CaptureFileName BSTR ''"},
      {L" D:\\a b.avi ", L"put CaptureFileName BSTR ' D:\\a b.avi '"},
      {L"C:\\動画.AVI", L"put CaptureFileName BSTR 'C:\\動画.AVI'"},
  };
  for (const Row& r : rows) {
    Type(2, r.typed);
    log_.Clear();
    LeaveField(2);
    EXPECT_EQ(log_.lines(), std::vector<std::wstring>{r.expected});
  }
}

}  // namespace
}  // namespace sample_test
