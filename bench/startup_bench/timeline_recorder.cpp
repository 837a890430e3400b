// The start-up recorder the benchmark builds into the programs it launches
// with --timeline. When the environment variable SAMPLE_STARTUP_TIMELINE
// names a file, each mark records the microseconds since the process was
// created, and the finish writes them there, one "<microseconds> <name>"
// line each. The program users run has no recorder and reads no variable.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "forms/startup_timeline.h"

namespace {

constexpr int kMaxMarks = 64;

struct Mark {
  const char* name;
  long long microseconds;
};

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

// The one recording of the process; touched only by the window thread.
class Timeline final : public forms::StartupRecorder {
 public:
  Timeline() { forms::InstallStartupRecorder(this); }

  void Mark(const char* name) noexcept override {
    if (!Recording() || count_ == kMaxMarks) return;
    const unsigned long long now = Now();
    const long long since = now > created_ ? static_cast<long long>((now - created_) / 10) : 0;
    marks_[count_++] = ::Mark{name, since};
  }

  void Finish() noexcept override {
    if (!Recording()) return;
    state_ = State::Written;
    std::unique_ptr<FILE, int (*)(FILE*)> out(_wfopen(file_, L"wb"), &std::fclose);
    if (!out) return;  // the benchmark reports a missing timeline
    for (int i = 0; i < count_; ++i) std::fprintf(out.get(), "%lld %s\n", marks_[i].microseconds, marks_[i].name);
  }

 private:
  bool Recording() {
    if (state_ == State::Unread) {
      state_ = State::Off;
      const DWORD length = GetEnvironmentVariableW(L"SAMPLE_STARTUP_TIMELINE", file_, MAX_PATH);
      FILETIME created, exited, kernel, user;
      if (length > 0 && length < MAX_PATH && GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        created_ = AsNumber(created);
        state_ = State::Recording;
      }
    }
    return state_ == State::Recording;
  }

  enum class State { Unread, Off, Recording, Written } state_ = State::Unread;
  wchar_t file_[MAX_PATH] = {};
  unsigned long long created_ = 0;  // 100-ns units, the same clock as Now()
  ::Mark marks_[kMaxMarks] = {};
  int count_ = 0;
};

Timeline timeline;

}  // namespace
