// The program's message loop and the "let waiting messages run" step that
// handlers use while a capture call is pending.
#pragma once

#include <windows.h>

namespace forms {

// A window that wants a look at keyboard messages before they are dispatched
// (dialog-style Tab navigation, a hosted control's accelerators).
class MessageFilter {
 public:
  virtual bool PreTranslateMessage(MSG& msg) = 0;

 protected:
  ~MessageFilter() = default;
};

// Filters are consulted in the order they were added; a filter must be
// removed before it is destroyed.
void AddMessageFilter(MessageFilter* filter);
void RemoveMessageFilter(MessageFilter* filter);

// Hands every message that waits for this thread to its window, then returns.
// Handlers run nested inside the caller. Returns false when WM_QUIT was met;
// it is posted again so that the outer loop ends too.
bool PumpWaitingMessages();

// Runs until WM_QUIT and returns its exit code.
int RunMessageLoop();

}  // namespace forms
