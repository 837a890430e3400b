#include "startup_timeline.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace forms {
namespace {

constexpr int kMaxMarks = 64;

struct Mark {
  const char* name;
  long long microseconds;
};

// The one recording of the process; touched only by the window thread.
struct Timeline {
  enum class State { Unread, Off, Recording, Written } state = State::Unread;
  wchar_t file[MAX_PATH] = {};
  unsigned long long created = 0;  // 100-ns units, the same clock as Now()
  Mark marks[kMaxMarks] = {};
  int count = 0;
};

Timeline& TheTimeline() {
  static Timeline timeline;
  return timeline;
}

unsigned long long AsNumber(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The system clock, at its finest where the system offers that: process
// creation time is given on this clock, and marks are measured from it.
unsigned long long Now() {
  using PreciseTime = void(WINAPI*)(LPFILETIME);
  static const PreciseTime precise = [] {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime") : nullptr;
    return reinterpret_cast<PreciseTime>(reinterpret_cast<void*>(found));
  }();
  FILETIME now;
  if (precise != nullptr) {
    precise(&now);
  } else {
    GetSystemTimeAsFileTime(&now);
  }
  return AsNumber(now);
}

bool Recording(Timeline& timeline) {
  if (timeline.state == Timeline::State::Unread) {
    timeline.state = Timeline::State::Off;
    const DWORD length = GetEnvironmentVariableW(L"SAMPLE_STARTUP_TIMELINE", timeline.file, MAX_PATH);
    FILETIME created, exited, kernel, user;
    if (length > 0 && length < MAX_PATH &&
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
      timeline.created = AsNumber(created);
      timeline.state = Timeline::State::Recording;
    }
  }
  return timeline.state == Timeline::State::Recording;
}

}  // namespace

void MarkStartup(const char* name) {
  Timeline& timeline = TheTimeline();
  if (!Recording(timeline) || timeline.count == kMaxMarks) return;
  const unsigned long long now = Now();
  const long long since = now > timeline.created ? static_cast<long long>((now - timeline.created) / 10) : 0;
  timeline.marks[timeline.count++] = Mark{name, since};
}

void FinishStartupTimeline() {
  Timeline& timeline = TheTimeline();
  if (!Recording(timeline)) return;
  timeline.state = Timeline::State::Written;
  std::unique_ptr<FILE, int (*)(FILE*)> out(_wfopen(timeline.file, L"wb"), &std::fclose);
  if (!out) return;  // the benchmark reports a missing timeline
  for (int i = 0; i < timeline.count; ++i) {
    std::fprintf(out.get(), "%lld %s\n", timeline.marks[i].microseconds, timeline.marks[i].name);
  }
}

}  // namespace forms
