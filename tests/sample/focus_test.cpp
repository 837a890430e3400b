// Focus as the user moves it: the focus-loss handlers run only when the focus
// goes on to another widget of the main window, never when the window loses
// or regains activation; the window gives the focus back to its widget after
// every message box and when the user comes back from another window.
#include <gtest/gtest.h>

#include <thread>

#include "stream_window/stream_form.h"
#include "window_fixture.h"

namespace sample_test {
namespace {

using sample::CheckId;
using sample::CommandId;
using sample::TextId;

// A top-level window on a thread of its own: to this program's window thread
// it is what another program's window is.
class OtherProgramWindow {
 public:
  OtherProgramWindow() : thread_([this] { Run(); }) {
    WaitForSingleObject(ready_, INFINITE);
  }
  ~OtherProgramWindow() {
    PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
    CloseHandle(ready_);
  }
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
      DestroyWindow(hwnd);
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  void Run() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OtherProgramWindow";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 400, 200, 100,
                            nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(hwnd_);
    SetEvent(ready_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  }

  HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND hwnd_ = nullptr;
  std::thread thread_;
};

TEST_F(SampleWindowTest, TheFirstTabStopHasTheFocusOnceTheWindowIsShown) {
  ASSERT_TRUE(StartWindow());
  window().Show(SW_SHOWNORMAL);
  PumpUntil([this] { return GetFocus() != nullptr && GetFocus() != window().hwnd(); });
  EXPECT_TRUE(HasFocus(sample::PictureId(1))) << "focus on " << GetFocus() << ", frame " << window().hwnd();
}

// Each field with its real focus-loss handler, and how to see that it ran.
struct FocusField {
  int text;
  const wchar_t* typed;
  int partner;  // the field its handler rewrites, or 0 when it calls the control
  const wchar_t* call;  // the control call it makes, when partner is 0
};

const FocusField kFocusFields[] = {
    {2, L"C:\\a.avi", 0, L"put CaptureFileName BSTR 'C:\\a.avi'"},
    {9, L"20", 0, L"get PreviewRate"},
    {7, L"640", 8, nullptr},
    {8, L"480", 7, nullptr},
    {10, L"640", 11, nullptr},
    {11, L"480", 10, nullptr},
};

class FocusLoss : public SampleWindowTest {
 protected:
  // Puts the focus into the field, has the user type, and forgets what the
  // typing itself sent.
  void EnterAndType(const FocusField& f) {
    window().Check(7).SetState(1);
    window().Check(2).SetState(1);
    if (f.partner != 0) window().Text(f.partner).SetText(L"unchanged");
    PutFocus(TextId(f.text));
    Type(f.text, f.typed);
    log_.Clear();
  }
  bool HandlerRan(const FocusField& f) {
    if (f.partner != 0) return FieldText(f.partner) != L"unchanged";
    for (const auto& line : log_.lines()) {
      if (line == f.call) return true;
    }
    return false;
  }
};

TEST_F(FocusLoss, RunsWhenTheFocusMovesToAnotherWidget) {
  ASSERT_TRUE(StartWindow());
  for (const FocusField& f : kFocusFields) {
    EnterAndType(f);
    PutFocus(CheckId(3));
    EXPECT_TRUE(HandlerRan(f)) << "Text" << f.text;
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(FocusLoss, DoesNotRunWhenTheWindowLosesOrRegainsActivation) {
  ASSERT_TRUE(StartWindow());
  sample::StreamForm::Instance().Show();  // the stream window, already open
  for (const FocusField& f : kFocusFields) {
    EnterAndType(f);
    ActivateWindow(sample::StreamForm::Instance().hwnd());
    EXPECT_FALSE(HandlerRan(f)) << "Text" << f.text << " left for the stream window";
    ActivateMainWindow();
    EXPECT_FALSE(HandlerRan(f)) << "Text" << f.text << " came back";
    EXPECT_TRUE(HasFocus(TextId(f.text))) << "Text" << f.text;
  }
  {
    const FocusField& f = kFocusFields[4];
    EnterAndType(f);
    OtherProgramWindow other;
    EXPECT_TRUE(PumpUntil([] { return GetActiveWindow() == nullptr; })) << "still active";
    EXPECT_FALSE(HandlerRan(f)) << "left for another program";
    ActivateMainWindow();
    EXPECT_FALSE(HandlerRan(f)) << "back from another program";
    EXPECT_TRUE(HasFocus(TextId(f.text)));
    // Leaving the field within the window afterwards is a leaving.
    PutFocus(TextId(f.partner));
    EXPECT_TRUE(HandlerRan(f));
  }
  EXPECT_TRUE(errors_.empty());
}

// The example users met: clearing the preview rate sends 0, the control
// refuses it, and the error report opens while the field has the focus. The
// read-back must not run underneath the box (nor when it closes), and typing
// goes on in the field afterwards.
TEST_F(FocusLoss, AnErrorReportOpenedFromTheFieldLeavesTheFieldAsTyped) {
  ASSERT_TRUE(StartWindow());
  real_boxes_ = true;
  PutFocus(TextId(9));
  fake().Script(10, Fails(static_cast<HRESULT>(0x800A017C), L"bad rate"));
  log_.Clear();
  Type(9, L"");
  EXPECT_EQ(focus_while_box_open_.size(), 1u);
  EXPECT_EQ(log_.lines(), std::vector<std::wstring>{L"put PreviewRate R8 0"});
  EXPECT_EQ(errors_.size(), 1u);
  EXPECT_EQ(FieldText(9), L"");
  EXPECT_TRUE(HasFocus(TextId(9)));
}

// Every kind of box the window opens: the focus leaves the window while it is
// up, no handler runs, and the widget that had the focus has it again.
TEST_F(FocusLoss, EveryMessageBoxGivesTheFocusBack) {
  ASSERT_TRUE(StartWindow());
  real_boxes_ = true;
  struct Row {
    const char* name;
    std::function<void()> open;
  };
  const Row rows[] = {
      {"callback question",
       [this] {
         answers_.push_back(IDNO);
         Click(CommandId(1));
       }},
      {"close refused during a capture",
       [this] {
         fake().During(35, [this] { SendMessageW(window().hwnd(), WM_CLOSE, 0, 0); });
         Click(CommandId(12));
         fake().During(35, [] {});
         ActivateMainWindow();  // the stream window came up with the capture
       }},
      {"capture report", [this] { window().OnCaptureComplete(10, 0); }},
      {"error report",
       [this] {
         fake().Script(27, Fails(static_cast<HRESULT>(0x80040220), L"no dialog"));
         Click(CommandId(3));
       }},
  };
  const FocusField& f = kFocusFields[0];
  for (const Row& r : rows) {
    EnterAndType(f);
    focus_while_box_open_.clear();
    r.open();
    ASSERT_EQ(focus_while_box_open_.size(), 1u) << r.name;
    EXPECT_NE(focus_while_box_open_[0], Item(TextId(f.text))) << r.name << ": the focus stayed in the field";
    EXPECT_FALSE(HandlerRan(f)) << r.name;
    EXPECT_TRUE(HasFocus(TextId(f.text))) << r.name;
  }
}

}  // namespace
}  // namespace sample_test
