// The main window hosting the registered capture control for real: in-place
// activation, the event binding found through the control's type
// information, start-up, the extender size and an orderly end; and the
// program's hand-written member table against the control's type library.
#include <gtest/gtest.h>
#include <ole2.h>

#include <wrl/client.h>

#include <deque>

#include "control/members.h"
#include "main_window/layout.h"
#include "main_window/main_window.h"

namespace {

class RealControlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override {
    window_.reset();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
    OleUninitialize();
  }
  void Start() {
    sample::MainWindowOptions options;
    options.message_box = [this](HWND, const std::wstring& text, UINT) {
      messages_.push_back(text);
      return IDNO;
    };
    options.report_error = [this](HWND, const convert::RuntimeError& e) { errors_.push_back(e); };
    window_ = std::make_unique<sample::MainWindow>(options);
    window_->Create();
    window_->Show(SW_SHOWNORMAL);
  }
  std::unique_ptr<sample::MainWindow> window_;
  std::vector<std::wstring> messages_;
  std::vector<convert::RuntimeError> errors_;
};

TEST_F(RealControlTest, HostsTheControlAndRunsStartUp) {
  Start();
  ASSERT_NE(window_->control_host(), nullptr);
  EXPECT_TRUE(window_->control_host()->events_bound());
  ASSERT_TRUE(window_->Load()) << (errors_.empty() ? L"" : errors_[0].description());
  EXPECT_EQ(window_->StopFlag(), -1);
  EXPECT_EQ(window_->Text(10).Text(), L"4800");
  EXPECT_EQ(window_->Text(11).Text(), L"3600");
  EXPECT_GT(window_->Combo1().Count(), 0);
  EXPECT_EQ(window_->Combo1().Selected(), 0);
  // The control draws into a window of its own inside the site.
  HWND site = window_->control_host()->window();
  EXPECT_NE(GetWindow(site, GW_CHILD), nullptr);

  // Focus given to the site goes on into the control's own window.
  SetFocus(site);
  HWND focus = GetFocus();
  EXPECT_TRUE(focus == site || IsChild(site, focus));

  // Resizing through the extender keeps the control filling its site.
  window_->Morvane1().PutWidth(6000.0f);
  EXPECT_EQ(window_->Morvane1().Width(), 6000.0f);
  RECT site_rect{}, child_rect{};
  GetClientRect(site, &site_rect);
  GetWindowRect(GetWindow(site, GW_CHILD), &child_rect);
  EXPECT_EQ(site_rect.right, 400);
  EXPECT_EQ(child_rect.right - child_rect.left, 400);
}

TEST_F(RealControlTest, ClosingTheIdleWindowDetachesTheControl) {
  Start();
  ASSERT_TRUE(window_->Load());
  HWND main = window_->hwnd();
  SendMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(errors_.empty());
}

// The type library the registered control describes itself with, and its
// coclass's default interface and event interface in it.
struct ControlContract {
  Microsoft::WRL::ComPtr<ITypeLib> library;
  Microsoft::WRL::ComPtr<ITypeInfo> members;
  Microsoft::WRL::ComPtr<ITypeInfo> events;
};

::testing::AssertionResult LoadContract(ControlContract& contract) {
  CLSID clsid{};
  Microsoft::WRL::ComPtr<IProvideClassInfo> provide;
  Microsoft::WRL::ComPtr<ITypeInfo> coclass;
  UINT index = 0;
  if (FAILED(CLSIDFromProgID(L"MORVANELib.Morvane", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&provide))) ||
      FAILED(provide->GetClassInfo(&coclass)) || FAILED(coclass->GetContainingTypeLib(&contract.library, &index))) {
    return ::testing::AssertionFailure() << "the control's type library cannot be loaded";
  }
  TYPEATTR* attributes = nullptr;
  if (FAILED(coclass->GetTypeAttr(&attributes))) return ::testing::AssertionFailure() << "no coclass attributes";
  for (UINT i = 0; i < attributes->cImplTypes; ++i) {
    INT flags = 0;
    HREFTYPE reference = 0;
    if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FDEFAULT) ||
        FAILED(coclass->GetRefTypeOfImplType(i, &reference))) {
      continue;
    }
    coclass->GetRefTypeInfo(reference, (flags & IMPLTYPEFLAG_FSOURCE) ? &contract.events : &contract.members);
  }
  coclass->ReleaseTypeAttr(attributes);
  if (!contract.members || !contract.events) return ::testing::AssertionFailure() << "no default interfaces";
  return ::testing::AssertionSuccess();
}

TEST_F(RealControlTest, MemberTableMatchesTheControlsTypeLibrary) {
  ControlContract contract;
  ASSERT_TRUE(LoadContract(contract));
  for (int i = 0; i < sample::kMemberCount; ++i) {
    const sample::MemberRow& row = sample::kMembers[i];
    // The extender's members are the container's, not the control's.
    if (row.member == sample::Member::ExtenderWidth || row.member == sample::Member::ExtenderHeight) continue;
    LPOLESTR name = const_cast<LPOLESTR>(row.name);
    MEMBERID id = DISPID_UNKNOWN;
    EXPECT_EQ(S_OK, contract.members->GetIDsOfNames(&name, 1, &id)) << "no member " << row.name;
    EXPECT_EQ(row.dispid, id) << row.name;
  }
  struct EventRow {
    UINT index;
    const wchar_t* name;
  };
  const EventRow events[] = {{sample::kCaptureCompleteEventIndex, L"CaptureComplete"},
                             {sample::kStreamFrameEventIndex, L"StreamFrame"}};
  for (const EventRow& event : events) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(S_OK, contract.events->GetFuncDesc(event.index, &function)) << event.name;
    BSTR name = nullptr;
    EXPECT_EQ(S_OK, contract.events->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr));
    EXPECT_STREQ(event.name, name) << "event " << event.index;
    SysFreeString(name);
    contract.events->ReleaseFuncDesc(function);
  }
}

}  // namespace
