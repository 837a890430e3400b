// A plain host window with the control previewing in it, for looking at the
// picture (screenshots) and for timing the control's creation:
//   morvane_preview_host [seconds] [overlay]
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "test_support.h"

using namespace morvane_test;

int wmain(int argc, wchar_t** argv) {
  const double seconds = argc > 1 ? std::wcstod(argv[1], nullptr) : 3.0;
  const bool overlay = argc > 2 && std::wcscmp(argv[2], L"overlay") == 0;
  LARGE_INTEGER frequency, t0, t1, t2;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&t0);
  if (FAILED(::OleInitialize(nullptr))) return 2;
  int status = 0;
  {
    TestHost host(true);
    ::QueryPerformanceCounter(&t1);
    if (!host.ok()) {
      std::printf("control not created: 0x%08lx\n", static_cast<unsigned long>(host.create_result()));
      status = 1;
    } else {
      PutProperty(host.control(), dispid::kPreviewRate, Var::R8(25).v);
      PutProperty(host.control(), overlay ? dispid::kOverlay : dispid::kPreview, Var::I2(1).v);
      std::printf("control created in %.1f ms; previewing for %.1f s\n",
                  (t1.QuadPart - t0.QuadPart) * 1000.0 / frequency.QuadPart, seconds);
      std::fflush(stdout);
      TestHost::Pump(static_cast<DWORD>(seconds * 1000));
    }
    ::QueryPerformanceCounter(&t2);
  }
  LARGE_INTEGER t3;
  ::QueryPerformanceCounter(&t3);
  std::printf("released in %.1f ms\n", (t3.QuadPart - t2.QuadPart) * 1000.0 / frequency.QuadPart);
  ::OleUninitialize();
  return status;
}
