// The widget layer's event semantics and the dispatch wrapper's errors.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>

#include "control/dispatch_call.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

TEST_F(SampleWindowTest, ProgramWritesRunHandlersOnlyOnChange) {
  ASSERT_TRUE(StartWindow(false));
  int clicks = 0, changes = 0, selections = 0;
  window().Check(2).OnClick([&] { ++clicks; });
  window().Text(3).OnChange([&] { ++changes; });
  window().Combo1().OnClick([&] { ++selections; });
  window().Combo1().Add(L"a");
  window().Combo1().Add(L"b");

  struct Step {
    const char* name;
    std::function<void()> act;
    int clicks, changes, selections;
  };
  const Step steps[] = {
      {"check to 1", [&] { window().Check(2).SetState(1); }, 1, 0, 0},
      {"check to 1 again", [&] { window().Check(2).SetState(1); }, 1, 0, 0},
      {"check to 2", [&] { window().Check(2).SetState(2); }, 2, 0, 0},
      {"user click from 2", [&] { Click(sample::CheckId(2)); }, 3, 0, 0},
      {"text same", [&] { window().Text(3).SetText(L"15"); }, 3, 0, 0},
      {"text different", [&] { window().Text(3).SetText(L"16"); }, 3, 1, 0},
      {"user typing", [&] { Type(3, L"17"); }, 3, 2, 0},
      {"select 1", [&] { window().Combo1().SetSelected(1); }, 3, 2, 1},
      {"select 1 again", [&] { window().Combo1().SetSelected(1); }, 3, 2, 1},
      {"select none", [&] { window().Combo1().SetSelected(-1); }, 3, 2, 2},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(clicks, s.clicks) << s.name;
    EXPECT_EQ(changes, s.changes) << s.name;
    EXPECT_EQ(selections, s.selections) << s.name;
  }
  EXPECT_EQ(window().Check(2).State(), 1) << "a click toggles 0 and 1 only";
}

TEST_F(SampleWindowTest, InvalidWidgetValuesAreRefused) {
  ASSERT_TRUE(StartWindow(false));
  EXPECT_THROW(window().Check(1).SetState(3), convert::RuntimeError);
  EXPECT_THROW(window().Check(1).SetState(-1), convert::RuntimeError);
  EXPECT_THROW(window().Combo1().SetSelected(0), convert::RuntimeError);  // empty list
  EXPECT_EQ(window().Check(1).State(), 0);
}

TEST_F(SampleWindowTest, FocusLossRunsOnlyWhenTheFocusMoves) {
  ASSERT_TRUE(StartWindow(false));
  int lost = 0;
  window().Text(7).OnLostFocus([&] { ++lost; });
  window().Text(7).SetText(L"123");
  EXPECT_EQ(lost, 0);
  LeaveField(7);
  EXPECT_EQ(lost, 1);
}

TEST_F(SampleWindowTest, AFailingUserHandlerIsReportedAndTheWindowGoesOn) {
  ASSERT_TRUE(StartWindow());
  fake().Script(27, Fails(static_cast<HRESULT>(0x80040220), L"no dialog"));
  Click(sample::CommandId(3));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].description(), L"no dialog");
  EXPECT_TRUE(IsWindow(window().hwnd()));
  log_.Clear();
  Click(sample::CommandId(8));
  EXPECT_EQ(log_.lines(), std::vector<std::wstring>{L"call CopyToClipboard"});
}

TEST(DispatchError, CarriesTheCalleesNumberDescriptionAndSource) {
  struct Row {
    const char* name;
    HRESULT hr;
    SCODE scode;
    WORD wcode;
    const wchar_t* description;
    long number;
  };
  const Row rows[] = {
      {"scode", DISP_E_EXCEPTION, static_cast<SCODE>(0x80040200), 0, L"busy", static_cast<long>(0x80040200)},
      {"wCode", DISP_E_EXCEPTION, 0, 1001, L"bad", 1001},
      {"plain failure", E_NOTIMPL, 0, 0, nullptr, static_cast<long>(E_NOTIMPL)},
  };
  for (const Row& r : rows) {
    EXCEPINFO info{};
    info.scode = r.scode;
    info.wCode = r.wcode;
    if (r.description) {
      info.bstrDescription = SysAllocString(r.description);
      info.bstrSource = SysAllocString(L"Ctl");
    }
    convert::RuntimeError e = sample::DispatchError(r.hr, &info, L"Member");
    EXPECT_EQ(e.number(), r.number) << r.name;
    EXPECT_EQ(e.description(), r.description ? r.description : L"") << r.name;
    EXPECT_EQ(e.source(), r.description ? L"Ctl" : L"Member") << r.name;
    EXPECT_EQ(info.bstrDescription, nullptr) << r.name;  // taken and freed
  }
}

TEST(Members, EveryMemberHasOneRowAndDistinctDispids) {
  for (int i = 0; i < sample::kMemberCount; ++i) {
    for (int j = i + 1; j < sample::kMemberCount; ++j) {
      EXPECT_NE(sample::kMembers[i].dispid, sample::kMembers[j].dispid) << i << " " << j;
      EXPECT_NE(sample::kMembers[i].member, sample::kMembers[j].member) << i << " " << j;
    }
  }
  EXPECT_EQ(sample::kMemberCount, static_cast<int>(sample::Member::ExtenderHeight) + 1);
}

// The fixture's helpers check what they need; a failed check names the
// test's own line, where the reader looks first.
TEST_F(SampleWindowTest, AFailedHelperCheckNamesTheCallingLine) {
  ASSERT_TRUE(StartWindow(false));
  constexpr int kNoSuchWidget = 9999;
  testing::TestPartResultArray failures;
  int line = 0;
  {
    testing::ScopedFakeTestPartResultReporter reporter(
        testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    line = __LINE__ + 1;
    Click(kNoSuchWidget);
  }
  ASSERT_EQ(failures.size(), 1);
  const std::string message = failures.GetTestPartResult(0).message();
  const std::string caller = std::string(__FILE__) + ":" + std::to_string(line) + ":";
  EXPECT_NE(message.find(caller), std::string::npos) << message;
}

}  // namespace
}  // namespace sample_test
