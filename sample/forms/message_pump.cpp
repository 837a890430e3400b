#include "forms/message_pump.h"

#include <algorithm>
#include <vector>

namespace forms {
namespace {

// The thread's filters. Only the window thread touches them.
std::vector<MessageFilter*>& Filters() {
  static std::vector<MessageFilter*> filters;
  return filters;
}

void Dispatch(MSG& msg) {
  // Copy: a filter may remove itself (its window closing) while it runs. The
  // copy lives on the stack: this runs for every message of every streamed
  // frame, and the frame path allocates nothing.
  constexpr size_t kMaxFilters = 16;
  const std::vector<MessageFilter*>& live = Filters();
  MessageFilter* on_stack[kMaxFilters];
  std::vector<MessageFilter*> on_heap;  // only for an unusually long list
  MessageFilter** filters = on_stack;
  const size_t count = live.size();
  if (count > kMaxFilters) {
    on_heap = live;
    filters = on_heap.data();
  } else {
    std::copy(live.begin(), live.end(), on_stack);
  }
  for (size_t i = 0; i < count; ++i) {
    if (filters[i]->PreTranslateMessage(msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace

void AddMessageFilter(MessageFilter* filter) { Filters().push_back(filter); }

void RemoveMessageFilter(MessageFilter* filter) {
  auto& f = Filters();
  f.erase(std::remove(f.begin(), f.end(), filter), f.end());
}

bool PumpWaitingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    Dispatch(msg);
  }
  return true;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
  return static_cast<int>(msg.wParam);
}

}  // namespace forms
