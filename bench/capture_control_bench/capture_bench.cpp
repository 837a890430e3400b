// A real-time capture at 640x480 and 30 fps for 10 seconds, to a file and
// then streamed without one: prints captured and dropped frames and how many
// heap allocations the loop made once it was running.
//   capture_control_bench [seconds] [file] [device-index]
#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "allocation_hooks.h"
#include "control.h"
#include "control_bench.h"

namespace {

using bench::Flag;
using bench::Number;
using bench::Put;
using bench::PutText;

// Every allocation of this program, the control's code included (it is
// linked in), is counted by the tests' operator new.
long Allocations() { return static_cast<long>(coretest::AllocationCount()); }

class Sink final : public bench::CaptureSink {
 public:
  long frames = 0;
  long allocations_at_warm = -1;
  long allocations_at_last = 0;

 protected:
  void OnEvent(DISPID id) override {
    if (id != morvane::kEventStreamFrame) return;
    ++frames;
    if (frames == 30) allocations_at_warm = Allocations();
    allocations_at_last = Allocations();
  }
};

HRESULT Call(IDispatch* control, DISPID id) {
  DISPPARAMS params{nullptr, nullptr, 0, 0};
  EXCEPINFO exception{};
  HRESULT hr = control->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
  if (hr == DISP_E_EXCEPTION) {
    std::wprintf(L"capture failed: 0x%08lx %ls\n", static_cast<unsigned long>(exception.scode),
                 exception.bstrDescription ? exception.bstrDescription : L"");
  }
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrHelpFile);
  return hr;
}

int Run(IDispatch* control, DISPID method, const char* label) {
  Sink sink;
  Microsoft::WRL::ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  if (!bench::Advise(control, &sink, point, cookie)) {
    std::printf("cannot connect to the events\n");
    return 1;
  }
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  HRESULT hr = Call(control, method);
  ::QueryPerformanceCounter(&end);
  point->Unadvise(cookie);
  const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  const long steady_allocations =
      sink.allocations_at_warm < 0 ? -1 : sink.allocations_at_last - sink.allocations_at_warm;
  std::printf("%s: captured %ld, dropped %ld in %.2f s; allocations after frame 30: %ld\n", label, sink.captured,
              sink.dropped, seconds, steady_allocations);
  // File capture fires no per-frame event, so its allocations are not counted (-1).
  std::printf("goal (no frame dropped, no steady allocations): %s\n",
              sink.captured > 0 && sink.dropped == 0 && steady_allocations <= 0 ? "met" : "NOT met");
  return FAILED(hr) ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? std::wcstod(argv[1], nullptr) : 10.0;
  std::wstring file;
  if (argc > 2) {
    file = argv[2];
  } else {
    wchar_t folder[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, folder);
    file = std::wstring(folder) + L"morvane_bench.avi";
  }
  // A camera comes after the synthetic devices: index 3 is the first one.
  const int device = argc > 3 ? _wtoi(argv[3]) : 0;
  if (FAILED(::OleInitialize(nullptr))) return 2;
  // A current user of its own, so the benchmark leaves the user's settings alone.
  if (!morvane_test::RedirectCurrentUser(L"Software\\Morvane\\BenchUser")) return 2;
  int status = 0;
  {
    Microsoft::WRL::ComPtr<IDispatch> control;
    if (FAILED(morvane::Control::Create(IID_PPV_ARGS(&control)))) {
      std::printf("control not created\n");
      return 1;
    }
    PutText(control.Get(), morvane::dispid::kCaptureFileName, file.c_str());
    Put(control.Get(), morvane::dispid::kCaptureWidth, Number(640));
    Put(control.Get(), morvane::dispid::kCaptureHeight, Number(480));
    Put(control.Get(), morvane::dispid::kCaptureRate, Number(30));
    Put(control.Get(), morvane::dispid::kTimeLimit, Number(seconds));
    Put(control.Get(), morvane::dispid::kTimeLimitEnabled, Flag(true));
    Put(control.Get(), morvane::dispid::kCallbackEnabled, Flag(true));
    if (device > 0) Put(control.Get(), morvane::dispid::kDeviceIndex, Number(device));
    std::printf("device %d, 640x480 at 30 fps for %.1f s\n", device, seconds);
    status |= Run(control.Get(), morvane::dispid::kStartCapture, "file capture");
    status |= Run(control.Get(), morvane::dispid::kStartStreamCapture, "stream capture");
  }
  ::DeleteFileW(file.c_str());
  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morvane\\CaptureBench");
  ::OleUninitialize();
  return status;
}
