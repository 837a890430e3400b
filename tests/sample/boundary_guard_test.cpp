// Nothing escapes a window procedure or a COM method: whatever a body raises
// becomes the reported error, an HRESULT with its description, or the
// dispatch error the caller reads from its EXCEPINFO.
#include "forms/boundary_guard.h"

#include <gtest/gtest.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "forms/last_error.h"
#include "forms/window.h"
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

// A window on the program's one window base, recording what reaches it.
constexpr UINT kThrowMessage = WM_APP + 1;

class ProbeWindow final : public forms::Window<ProbeWindow> {
 public:
  void Create() {
    CreateWindowFrom({L"KitSampleProbeWindow", 0, nullptr, 0, L"probe", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, 0,
                      L"probe failed", L""});
  }
  void DestroyQuietly() { DestroyUnrouted(); }

  HWND handle_at_create = nullptr;
  bool nc_destroy_routed = false;
  int reports = 0;

 private:
  friend class forms::Window<ProbeWindow>;

  LRESULT Route(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CREATE) handle_at_create = hwnd_;
    if (message == WM_NCDESTROY) nc_destroy_routed = true;
    if (message == kThrowMessage) throw convert::RuntimeError::Overflow();
    return Default(message, wparam, lparam);
  }
  void ReportRouteFailure(HWND) noexcept { ++reports; }
};

TEST(WindowBase, RoutesFromCreationToTheLastMessageAndGuardsEachOne) {
  ProbeWindow probe;
  probe.Create();
  ASSERT_NE(probe.hwnd(), nullptr);
  EXPECT_EQ(probe.handle_at_create, probe.hwnd()) << "the handle is known before WM_CREATE";

  // A failing message is reported once and answers the guard's result; the
  // window lives on.
  EXPECT_EQ(SendMessageW(probe.hwnd(), kThrowMessage, 0, 0), forms::kFailedMessageResult);
  EXPECT_EQ(probe.reports, 1);
  EXPECT_TRUE(IsWindow(probe.hwnd()));

  const HWND hwnd = probe.hwnd();
  DestroyWindow(hwnd);
  EXPECT_TRUE(probe.nc_destroy_routed);
  EXPECT_EQ(probe.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowBase, AnUnroutedDestroyReachesTheObjectNoMore) {
  ProbeWindow probe;
  probe.Create();
  const HWND hwnd = probe.hwnd();
  probe.DestroyQuietly();
  EXPECT_FALSE(probe.nc_destroy_routed);
  EXPECT_EQ(probe.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
}

// A Win32 call that failed: its error as an HRESULT, and a failure that set
// no error still reads as a failure.
TEST(LastError, CarriesTheWin32ErrorAndNeverSuccess) {
  struct Case {
    DWORD last_error;
    HRESULT expected;
  };
  const Case kCases[] = {
      {ERROR_ACCESS_DENIED, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)},
      {ERROR_INVALID_WINDOW_HANDLE, HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE)},
      {ERROR_SUCCESS, E_FAIL},
  };
  for (const Case& c : kCases) {
    SetLastError(c.last_error);
    const convert::RuntimeError error = forms::LastError(L"what", L"who");
    EXPECT_EQ(error.number(), static_cast<long>(c.expected)) << c.last_error;
    EXPECT_EQ(error.description(), L"what");
    EXPECT_EQ(error.source(), L"who");
  }
}

}  // namespace
}  // namespace sample_test
