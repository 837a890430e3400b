// Nothing escapes a window procedure or a COM method: whatever a body raises
// becomes the reported error, an HRESULT with its description, or the
// dispatch error the caller reads from its EXCEPINFO.
#include "boundary_guard.h"

#include <gtest/gtest.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "window_fixture.h"

namespace sample_test {
namespace {

struct Escape {
  const char* name;
  void (*raise)();
  HRESULT hresult;
  const wchar_t* description;  // a part of it
};

const Escape kEscapes[] = {
    {"a control's failure", [] { throw convert::RuntimeError(static_cast<long>(0x80040201), L"device lost", L"Morvane1"); },
     static_cast<HRESULT>(0x80040201), L"device lost"},
    {"a conversion's overflow", [] { throw convert::RuntimeError::Overflow(); }, static_cast<HRESULT>(0x800A0006),
     L""},
    {"no memory", [] { throw std::bad_alloc(); }, static_cast<HRESULT>(0x800A0007), L"メモリ"},
    {"a library's exception", [] { throw std::out_of_range("index 7"); }, static_cast<HRESULT>(0x800A0033),
     L"index 7"},
    {"anything else", [] { throw 42; }, static_cast<HRESULT>(0x800A0033), L"内部エラー"},
};

std::wstring ThreadErrorDescription() {
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return L"(none)";
  BSTR text = nullptr;
  info->GetDescription(&text);
  std::wstring out = text ? text : L"";
  SysFreeString(text);
  return out;
}

TEST(BoundaryGuard, EveryEscapeBecomesTheErrorOfItsBoundary) {
  for (const Escape& e : kEscapes) {
    // A COM method: the HRESULT, and the description as error information.
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(forms::GuardCall([&]() -> HRESULT { e.raise(); return S_OK; }), e.hresult) << e.name;
    EXPECT_NE(ThreadErrorDescription().find(e.description), std::wstring::npos)
        << e.name << ": " << testing::PrintToString(ThreadErrorDescription());

    // IDispatch::Invoke: the same, through EXCEPINFO.
    EXCEPINFO info;
    std::memset(&info, 0xA5, sizeof info);  // sentinel
    EXPECT_EQ(forms::GuardInvoke(&info, [&]() -> HRESULT { e.raise(); return S_OK; }), DISP_E_EXCEPTION) << e.name;
    EXPECT_EQ(info.scode, e.hresult) << e.name;
    const std::wstring description = info.bstrDescription ? info.bstrDescription : L"";
    EXPECT_NE(description.find(e.description), std::wstring::npos) << e.name;
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    EXPECT_EQ(forms::GuardInvoke(nullptr, [&]() -> HRESULT { e.raise(); return S_OK; }), e.hresult)
        << e.name << " without EXCEPINFO";

    // A window procedure: reported once, and the message answers 0.
    int reports = 0;
    EXPECT_EQ(forms::GuardMessage([&]() -> LRESULT { e.raise(); return 7; }, [&] { ++reports; }),
              forms::kFailedMessageResult)
        << e.name;
    EXPECT_EQ(reports, 1) << e.name;
  }
  // A body that succeeds answers for itself.
  EXPECT_EQ(forms::GuardCall([] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(forms::GuardMessage([]() -> LRESULT { return 7; }, [] { ADD_FAILURE() << "reported"; }), 7);
}

// The session ends while a capture call is pending and a step of the unload
// fails: the main window's procedure reports it as a handler's error, and
// nothing unwinds into the system's message dispatch.
TEST_F(SampleWindowTest, AFailureWhileTheSessionEndsIsReportedNotThrown) {
  ASSERT_TRUE(StartWindow());
  end_process_fails_ = true;
  bool escaped = false;
  LRESULT answer = -1;
  fake().During(35, [&] {
    try {
      answer = SendMessageW(window().hwnd(), WM_ENDSESSION, TRUE, 0);
    } catch (...) {
      escaped = true;
    }
  });
  Click(sample::CommandId(12));
  EXPECT_FALSE(escaped) << "an exception crossed the window procedure";
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(ended_, std::vector<UINT>{0});
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].number(), 51);
  EXPECT_NE(errors_[0].description().find(L"the end of the process failed"), std::wstring::npos)
      << testing::PrintToString(errors_[0].description());
  EXPECT_TRUE(window().unloaded());
}

}  // namespace
}  // namespace sample_test
