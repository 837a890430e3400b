// How long sample.exe takes to start, against three floors launched in the
// same run (an empty window; the window hosting our control; that and the
// form's own native child windows and fonts, built flat): from CreateProcess until a visible top-level window with the
// sample's caption belongs to the new process. The programs are launched in
// turn, round after round, so a busy moment on the machine hits all three;
// medians are compared.
//   startup_bench [launches] [--timeline]
// With --timeline each program is told, through SAMPLE_STARTUP_TIMELINE, to
// write its start-up marks to a file; the marks of each one's median launch
// are printed with the time each step took. The sample is then its bench
// build, sample_timed.exe: the program users run records no marks.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kCaption[] = L"Morvane OCX Sample";
constexpr wchar_t kTimelineVariable[] = L"SAMPLE_STARTUP_TIMELINE";
constexpr DWORD kVisibleTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr double kGoal = 1.15;  // sample over the form floor

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  ~Handle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Search {
  DWORD process_id;
  HWND found;
};

// The new process's main window, shown or not yet.
BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != search->process_id) return TRUE;
  wchar_t caption[64] = {};
  GetWindowTextW(hwnd, caption, 64);
  if (std::wcscmp(caption, kCaption) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

struct Program {
  const wchar_t* name;
  std::wstring path;
  std::vector<double> launches_ms;
  std::vector<std::string> timelines;  // one a launch, with --timeline
  std::vector<long long> seen_us;      // when each launch was seen shown, on its own timeline
};

unsigned long long AsNumber(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Microseconds from the process's creation to now, on the clock its
// timeline marks are taken on.
long long SinceCreation(HANDLE process) {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  GetSystemTimePreciseAsFileTime(&now);
  return static_cast<long long>(AsNumber(now) - AsNumber(created)) / 10;
}

struct LaunchResult {
  double ms = -1;            // from CreateProcess until the window shows; negative when it did not
  long long seen_us = -1;    // when it was seen, on the program's own timeline
};

LaunchResult Launch(const std::wstring& path, const std::wstring& timeline_file) {
  std::wstring command = L"\"" + path + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  SetEnvironmentVariableW(kTimelineVariable, timeline_file.empty() ? nullptr : timeline_file.c_str());
  const double start = Now();
  if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", path.c_str(), GetLastError());
    return {};
  }
  Handle process_handle(process.hProcess);
  Handle thread_handle(process.hThread);
  Search search{process.dwProcessId, nullptr};
  LaunchResult result;
  // Every window of the session is looked at only until the main window
  // exists; from then on one question a poll. A poll that walks all windows
  // waits behind a program that is busy creating and erasing its own, and
  // would count that wait against the program with more windows.
  while (Now() - start < kVisibleTimeoutMs) {
    if (search.found == nullptr) EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr && IsWindowVisible(search.found)) {
      result.ms = Now() - start;
      result.seen_us = SinceCreation(process.hProcess);
      break;
    }
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  if (search.found != nullptr) PostMessageW(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
    std::fwprintf(stderr, L"%ls did not end; terminated\n", path.c_str());
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, kExitTimeoutMs);
  }
  if (result.ms < 0) std::fwprintf(stderr, L"%ls showed no window\n", path.c_str());
  return result;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::wstring Folder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  return std::wstring(folder) + name;
}

std::string ReadWholeFile(const std::wstring& path) {
  Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  return text;
}

// The marks are lines of "<microseconds since process start> <name>"; the
// moment the bench saw the window shown is put among them.
void PrintTimeline(const wchar_t* program, const std::string& marks, double launch_ms, long long seen_us) {
  std::vector<std::pair<long long, std::string>> lines;
  size_t at = 0;
  while (at < marks.size()) {
    size_t end = marks.find('\n', at);
    if (end == std::string::npos) end = marks.size();
    const std::string line = marks.substr(at, end - at);
    at = end + 1;
    long long micros = 0;
    int used = 0;
    if (std::sscanf(line.c_str(), "%lld %n", &micros, &used) < 1) continue;
    lines.emplace_back(micros, line.substr(static_cast<size_t>(used)));
  }
  if (seen_us >= 0) lines.emplace_back(seen_us, "(seen shown by the bench)");
  std::stable_sort(lines.begin(), lines.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::printf("\nstart-up timeline of %ls, its median launch (%.1f ms to visible):\n", program, launch_ms);
  std::printf("%10s %10s  %s\n", "at us", "step us", "mark");
  long long previous = 0;
  for (const auto& [micros, name] : lines) {
    std::printf("%10lld %10lld  %s\n", micros, micros - previous, name.c_str());
    previous = micros;
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int launches = 5;
  bool timeline = false;
  for (int i = 1; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--timeline") == 0) {
      timeline = true;
    } else {
      const int n = _wtoi(argv[i]);
      if (n >= 1 && n <= 100) launches = n;
    }
  }
  const std::wstring folder = Folder();
  const wchar_t* sample_exe = timeline ? L"sample_timed.exe" : L"sample.exe";
  std::vector<Program> programs = {{L"sample", folder + sample_exe, {}, {}, {}},
                                   {L"bare_form", folder + L"bare_form.exe", {}, {}, {}},
                                   {L"bare_host", folder + L"bare_host.exe", {}, {}, {}},
                                   {L"bare_window", folder + L"bare_window.exe", {}, {}, {}}};
  const std::wstring timeline_file = timeline ? TempFile(L"sample_startup_timeline.txt") : std::wstring();
  // One launch of each before measuring: the first start of a program pays
  // for loading it from disk, which no later start does.
  for (Program& program : programs) Launch(program.path, {});
  for (int round = 0; round < launches; ++round) {
    for (size_t k = 0; k < programs.size(); ++k) {
      Program& program = programs[(k + round) % programs.size()];
      if (timeline) DeleteFileW(timeline_file.c_str());
      const LaunchResult launch = Launch(program.path, timeline_file);
      if (launch.ms < 0) return 1;
      program.launches_ms.push_back(launch.ms);
      program.seen_us.push_back(launch.seen_us);
      if (timeline) program.timelines.push_back(ReadWholeFile(timeline_file));
      Sleep(100);
    }
  }
  std::printf("%-12s %9s %9s %9s   (ms from CreateProcess to the window shown, %d launches)\n", "program",
              "median", "min", "max", launches);
  for (const Program& program : programs) {
    const auto [low, high] = std::minmax_element(program.launches_ms.begin(), program.launches_ms.end());
    std::printf("%-12ls %9.1f %9.1f %9.1f\n", program.name, Median(program.launches_ms), *low, *high);
  }
  const double sample = Median(programs[0].launches_ms);
  const double form = Median(programs[1].launches_ms);
  const double host = Median(programs[2].launches_ms);
  const double window = Median(programs[3].launches_ms);
  std::printf("sample / bare_form   %.2fx\n", sample / form);
  std::printf("sample / bare_host   %.2fx\n", sample / host);
  std::printf("sample / bare_window %.2fx\n", sample / window);
  std::printf("bare_form / bare_host %.2fx (what the form's windows and fonts cost)\n", form / host);
  std::printf("bare_host / bare_window %.2fx (what OLE and the control cost)\n", host / window);
  std::printf("goal (sample <= %.2f x bare_form): %s\n", kGoal, sample <= kGoal * form ? "met" : "NOT met");
  for (const Program& program : programs) {
    if (!timeline) break;
    const auto& runs = program.launches_ms;
    const double median = Median(runs);
    const size_t median_run = static_cast<size_t>(
        std::min_element(runs.begin(), runs.end(), [median](double a, double b) {
          return std::abs(a - median) < std::abs(b - median);
        }) - runs.begin());
    if (program.timelines[median_run].empty()) {
      std::printf("\n%ls wrote no timeline\n", program.name);
    } else {
      PrintTimeline(program.name, program.timelines[median_run], runs[median_run], program.seen_us[median_run]);
    }
  }
  if (timeline) DeleteFileW(timeline_file.c_str());
  return 0;
}
