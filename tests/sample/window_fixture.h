// The real main window with its real widgets, hosting the strict fake
// control instead of the registered one; message boxes, error reports and
// the end of the process are answered and recorded here.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_control.h"
#include "main_window/layout.h"
#include "main_window/main_window.h"

namespace sample_test {

// Where a helper was called from. As a defaulted last argument it takes the
// caller's file and line, so that a check failing inside the helper names
// the test's line rather than the fixture's.
class CallSite {
 public:
  CallSite(const char* file = __builtin_FILE(), int line = __builtin_LINE()) : file_(file), line_(line) {}
  const char* file() const { return file_; }
  int line() const { return line_; }

 private:
  const char* file_;
  int line_;
};

struct ShownMessage {
  std::wstring text;
  UINT style;
};

class SampleWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the window over the fake; runs start-up when load is true.
  // Returns what Load returned (true when not loaded).
  bool StartWindow(bool load = true, CallSite caller = {});

  sample::MainWindow& window() { return *window_; }
  FakeControl& fake() { return *fake_.Get(); }
  HWND Item(int id) const;

  // The user's actions, routed the way Win32 routes them.
  void Click(int id, CallSite caller = {});           // a button or box
  void Type(int text_n, const std::wstring& text);     // the user edits a field
  void LeaveField(int text_n);                         // focus moves away
  void SelectEntry(int index, CallSite caller = {});   // the user picks in Combo1
  std::wstring FieldText(int text_n);

  // Focus and activation as the user changes them.
  void ShowMainWindow(CallSite caller = {});           // shown and active
  void PutFocus(int id, CallSite caller = {});         // the user clicks or tabs into a widget
  bool HasFocus(int id) const { return GetFocus() == Item(id); }
  void ActivateWindow(HWND top, CallSite caller = {});  // another top-level window of this program
  void ActivateMainWindow(CallSite caller = {});        // the user comes back
  // Pumps until the condition holds (or a few seconds pass); false on time-out.
  bool PumpUntil(const std::function<bool()>& condition);

  // Message boxes and error reports open as real modal boxes owned by the
  // window, and close by themselves with the queued answer; where the focus
  // was while each one was up is recorded.
  bool real_boxes_ = false;
  std::vector<HWND> focus_while_box_open_;

  // Answers for the next message boxes (IDOK when none is queued).
  std::deque<int> answers_;
  std::vector<ShownMessage> messages_;
  std::vector<convert::RuntimeError> errors_;
  std::vector<UINT> ended_;
  bool end_process_fails_ = false;  // ending the process then throws, as a failing shutdown step would
  forms::AnnotationServiceFactory annotation_service_;  // empty: the system's
  CallLog log_;

 private:
  Microsoft::WRL::ComPtr<FakeControl> fake_;
  std::unique_ptr<sample::MainWindow> window_;
  bool ole_ = false;

  int ShowRealBox(HWND owner, const std::wstring& text, UINT style, int answer);
};

// Replaces "$Text4" in expected lines by the status line's handle value.
std::vector<std::wstring> WithHandles(std::vector<std::wstring> lines, HWND text4);

}  // namespace sample_test
