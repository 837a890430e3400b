#include "window_fixture.h"

#include <ole2.h>

#include <stdexcept>
#include <vector>

#include "basics/com_object.h"
#include "clip_window/clip_form.h"
#include "forms/error_report.h"
#include "stream_window/stream_form.h"

namespace sample_test {
namespace {

constexpr UINT kBoxPollMs = 50;
constexpr int kBoxPollLimit = 100;  // about five seconds for a box to come up
constexpr DWORD kPumpLimitMs = 5000;

// The boxes that are open, innermost last; the thread timer's callback has
// no context of its own. A box may open while another one is still coming up
// (a handler that the first one's activation runs opens the second); the box
// in front is then the innermost one, and it is answered first.
struct PendingBox {
  int answer;
  std::function<void()> on_open;
  HWND answered = nullptr;
  int polls = 0;
};
std::vector<PendingBox*> g_pending_boxes;

bool IsBox(HWND window) {
  wchar_t class_name[16] = {};
  return window != nullptr && GetClassNameW(window, class_name, 16) > 0 && lstrcmpW(class_name, L"#32770") == 0 &&
         IsWindowVisible(window);
}

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  if (!IsBox(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Answers the box in front once it is up and active, as a user would after
// reading it; one that never becomes active is answered all the same.
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  if (g_pending_boxes.empty()) return;
  PendingBox& pending = *g_pending_boxes.back();
  if (pending.answered != nullptr) return;
  HWND box = GetActiveWindow();
  if (!IsBox(box)) {
    if (++pending.polls < kBoxPollLimit) return;
    box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return;
  }
  pending.answered = box;
  pending.on_open();
  PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(pending.answer), 0);
}

}  // namespace

void SampleWindowTest::SetUp() {
  ole_ = SUCCEEDED(OleInitialize(nullptr));
  fake_ = basics::Adopt(new FakeControl(log_));
}

void SampleWindowTest::TearDown() {
  window_.reset();
  sample::StreamForm::Instance().Destroy();
  sample::ClipForm::Instance().Destroy();
  // An unload posts the end of the message loop; it must not reach the
  // next test. Other waiting messages are handled (a repaint stays waiting
  // until it is).
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  }
  fake_.Reset();
  if (ole_) OleUninitialize();
}

bool SampleWindowTest::StartWindow(bool load, CallSite caller) {
  const testing::ScopedTrace trace(caller.file(), caller.line(), "StartWindow");
  sample::MainWindowOptions options;
  Microsoft::WRL::ComPtr<IUnknown> control = fake_;
  options.control_factory = [control] { return control; };
  options.wrap_extender = [this](IDispatch* real) { return RecordingExtender(real, log_); };
  options.message_box = [this](HWND owner, const std::wstring& text, UINT style) {
    messages_.push_back({text, style});
    int answer = IDOK;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    return real_boxes_ ? ShowRealBox(owner, text, style, answer) : answer;
  };
  options.report_error = [this](HWND owner, const convert::RuntimeError& error) {
    errors_.push_back(error);
    if (real_boxes_) ShowRealBox(owner, error.description(), MB_OK | MB_ICONSTOP, IDOK);
  };
  options.end_process = [this](UINT code) {
    ended_.push_back(code);
    if (end_process_fails_) throw std::runtime_error("the end of the process failed");
  };
  options.annotation_service = annotation_service_;
  window_ = std::make_unique<sample::MainWindow>(options);
  try {
    window_->Create();
  } catch (const convert::RuntimeError& error) {
    ADD_FAILURE() << "Create: " << error.number() << " " << testing::PrintToString(error.description())
                  << testing::PrintToString(error.source());
    throw;
  }
  // Shown only when a test moves the focus: without a window manager, Wine
  // waits up to two seconds for a shown top-level window to go away.
  return load ? window_->Load() : true;
}

HWND SampleWindowTest::Item(int id) const {
  forms::Widget* widget = window_->FindWidget(id);
  if (widget != nullptr) return widget->hwnd();
  if (id == sample::kMorvane1Id && window_->control_host()) return window_->control_host()->window();
  return nullptr;
}

void SampleWindowTest::Click(int id, CallSite caller) {
  const testing::ScopedTrace trace(caller.file(), caller.line(), "Click");
  HWND item = Item(id);
  ASSERT_NE(item, nullptr) << id;
  const WORD code = id == sample::kCombo1Id ? CBN_SELCHANGE : BN_CLICKED;
  SendMessageW(GetParent(item), WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(item));
}

void SampleWindowTest::Type(int text_n, const std::wstring& text) {
  // The edit control raises its own change notification, as for typing.
  SetWindowTextW(Item(sample::TextId(text_n)), text.c_str());
}

void SampleWindowTest::LeaveField(int text_n) {
  if (!IsWindowVisible(window_->hwnd())) window_->Show(SW_SHOWNORMAL);
  SetFocus(Item(sample::TextId(text_n)));
  SetFocus(Item(sample::CommandId(6)));
}

void SampleWindowTest::SelectEntry(int index, CallSite caller) {
  HWND combo = Item(sample::kCombo1Id);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  Click(sample::kCombo1Id, caller);
}

std::wstring SampleWindowTest::FieldText(int text_n) { return window_->Text(text_n).Text(); }

int SampleWindowTest::ShowRealBox(HWND owner, const std::wstring& text, UINT style, int answer) {
  PendingBox pending{answer, [this] { focus_while_box_open_.push_back(GetFocus()); }};
  g_pending_boxes.push_back(&pending);
  const UINT_PTR timer = SetTimer(nullptr, 0, kBoxPollMs, &AnswerBox);
  const int result = MessageBoxW(owner, text.c_str(), forms::kProgramTitle, style);
  KillTimer(nullptr, timer);
  g_pending_boxes.pop_back();
  return result;
}

bool SampleWindowTest::PumpUntil(const std::function<bool()>& condition) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > kPumpLimitMs) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  return true;
}

void SampleWindowTest::ShowMainWindow(CallSite caller) {
  if (!IsWindowVisible(window_->hwnd())) window_->Show(SW_SHOWNORMAL);
  ActivateMainWindow(caller);
}

void SampleWindowTest::PutFocus(int id, CallSite caller) {
  ShowMainWindow(caller);
  SetFocus(Item(id));
}

void SampleWindowTest::ActivateWindow(HWND top, CallSite caller) {
  const testing::ScopedTrace trace(caller.file(), caller.line(), "ActivateWindow");
  SetForegroundWindow(top);
  EXPECT_TRUE(PumpUntil([top] { return GetActiveWindow() == top; })) << "the other window did not become active";
}

void SampleWindowTest::ActivateMainWindow(CallSite caller) { ActivateWindow(window_->hwnd(), caller); }

std::vector<std::wstring> WithHandles(std::vector<std::wstring> lines, HWND text4) {
  const std::wstring value = std::to_wstring(static_cast<LONG>(reinterpret_cast<LONG_PTR>(text4)));
  for (auto& line : lines) {
    auto at = line.find(L"$Text4");
    if (at != std::wstring::npos) line.replace(at, 6, value);
  }
  return lines;
}

}  // namespace sample_test
