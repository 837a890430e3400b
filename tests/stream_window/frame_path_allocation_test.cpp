// The frame path draws straight from the control's buffers: a burst of frames
// through it (what the main window's frame handler does) must not touch the
// heap. Every way in to the heap that this binary links is counted here.
#include <cstddef>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "forms/message_pump.h"
#include "low_memory.h"
#include "stream_window/stream_form.h"

namespace {
volatile long g_allocations = 0;
bool g_counting = false;
void Count() {
  if (g_counting) g_allocations = g_allocations + 1;
}
}  // namespace

void* operator new(std::size_t size) {
  Count();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  Count();
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

#ifdef KIT_WRAP_MALLOC
// The C allocation functions, redirected here by the linker (--wrap).
extern "C" {
void* __real_malloc(std::size_t);
void* __real_calloc(std::size_t, std::size_t);
void* __real_realloc(void*, std::size_t);
void* __wrap_malloc(std::size_t size) {
  Count();
  return __real_malloc(size);
}
void* __wrap_calloc(std::size_t n, std::size_t size) {
  Count();
  return __real_calloc(n, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
  Count();
  return __real_realloc(p, size);
}
}
#endif

namespace {

using sample::StreamForm;

struct Burst {
  const char* name;
  int width;
  int height;
  bool shown;
  bool messages_waiting;
  bool filters;  // the main window and the control's site look at keyboard messages first
};

constexpr Burst kBursts[] = {
    {"320x240 shown, with waiting messages", 320, 240, true, true, false},
    {"640x480 shown, idle", 640, 480, true, false, false},
    {"320x240 hidden (file capture with callbacks)", 320, 240, false, true, false},
    {"320x240 shown, waiting messages, message filters as in the program", 320, 240, true, true, true},
};

class PassingFilter : public forms::MessageFilter {
 public:
  bool PreTranslateMessage(MSG&) override { return false; }
};

TEST(FramePathAllocation, NoHeapAllocationAcrossABurstOfFrames) {
  for (const Burst& b : kBursts) {
    PassingFilter main_window_filter;
    PassingFilter control_site_filter;
    if (b.filters) {
      forms::AddMessageFilter(&main_window_filter);
      forms::AddMessageFilter(&control_site_filter);
    }
    StreamForm& form = StreamForm::Instance();
    if (b.shown) form.Show(); else form.EnsureCreated();
    test_support::Frame frame(b.width, b.height);
    ASSERT_TRUE(frame.ok()) << b.name;
    frame.Fill(RGB(10, 20, 30));
    short stop = 0;
    const short stop_flag = 0;

    // One frame first, so that one-time work (class DC, surface) is done.
    form.EnsureCreated();
    form.DrawFrame(b.width, b.height, frame.info_address(), frame.bits_address());
    forms::PumpWaitingMessages();

    g_allocations = 0;
    g_counting = true;
    for (int i = 0; i < 200; ++i) {
      if (b.messages_waiting) {
        PostMessageW(form.hwnd(), WM_NULL, 0, 0);
        PostMessageW(form.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(i % 300, i % 200));
      }
      form.EnsureCreated();
      form.DrawFrame(b.width, b.height, frame.info_address(), frame.bits_address());
      forms::PumpWaitingMessages();
      stop = stop_flag;
    }
    g_counting = false;
    EXPECT_EQ(g_allocations, 0) << b.name;
    EXPECT_EQ(stop, 0);
    form.Destroy();
    if (b.filters) {
      forms::RemoveMessageFilter(&control_site_filter);
      forms::RemoveMessageFilter(&main_window_filter);
    }
  }
}

TEST(FramePathAllocation, CounterSeesAnAllocation) {
  // Guards the test above against a counter that never counts.
  g_allocations = 0;
  g_counting = true;
  void* volatile p = operator new(16);
  char* volatile q = static_cast<char*>(std::malloc(8));
  g_counting = false;
  operator delete(p);
  std::free(q);
#ifdef KIT_WRAP_MALLOC
  EXPECT_GE(g_allocations, 2);  // operator new goes through malloc and counts twice
#else
  EXPECT_EQ(g_allocations, 1);
#endif
}

}  // namespace
