// A self-registering library for Halvern's tests. Built several times with
// different settings (some crash in their entry points); each build records in the file named by the environment
// variable HALVERN_TESTLIB_LOG when it is loaded, when an entry point runs (and
// whether OLE was initialised on the calling thread) and when it is unloaded.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#ifndef TESTLIB_NAME
#error TESTLIB_NAME must name the build
#endif

namespace {

void Record(const char* event) {
  wchar_t path[1024] = {};
  const DWORD n = GetEnvironmentVariableW(L"HALVERN_TESTLIB_LOG", path, 1024);
  if (n == 0 || n >= 1024) return;
  // A Unix path from the Linux side of the test reaches us through drive Z:.
  const std::wstring full = path[0] == L'/' ? std::wstring(L"Z:") + path : std::wstring(path);
  HANDLE file = CreateFileW(full.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char line[256];
  const int length = std::snprintf(line, sizeof(line), "%s %s\n", TESTLIB_NAME, event);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

#if defined(TESTLIB_REGISTER) || defined(TESTLIB_UNREGISTER)
// S_FALSE from CoInitializeEx means the thread was already in a
// single-threaded apartment, which OleInitialize sets up.
const char* OleState() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(hr)) CoUninitialize();
  if (hr == S_FALSE) return "ole=1";
  if (hr == S_OK) return "ole=0";
  return "ole=mta";
}

#if defined(TESTLIB_CRASH_ACCESS) || defined(TESTLIB_CRASH_DIVIDE)
// Values the compiler cannot see through, so that the crash is a real
// processor fault and not a trap instruction put in its place.
volatile int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;
#endif

HRESULT Run(const char* entry_point) {
  char event[128];
  std::snprintf(event, sizeof(event), "%s called %s", entry_point, OleState());
  Record(event);
#ifdef TESTLIB_CRASH_ACCESS
  *g_nowhere = 1;
#endif
#ifdef TESTLIB_CRASH_DIVIDE
  g_zero = 100 / g_zero;
#endif
#ifdef TESTLIB_RAISE_CXX
  // What a C++ throw raises in a library built with the other common
  // compiler; nothing in this library handles it.
  RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
#endif
#ifdef TESTLIB_CATCH_OWN
  try {
    throw std::runtime_error("handled inside the library");
  } catch (const std::exception&) {
    Record("caught its own");
  }
#endif
  return TESTLIB_STATUS;
}
#endif

}  // namespace

#ifdef TESTLIB_USES_HELPER
extern "C" __declspec(dllimport) int HalvernHelperValue();
#endif

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) Record("load");
  if (reason == DLL_PROCESS_DETACH) Record("unload");
  return TRUE;
}

#ifdef TESTLIB_REGISTER
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
#ifdef TESTLIB_USES_HELPER
  if (HalvernHelperValue() != 42) return E_UNEXPECTED;
#endif
  return Run("DllRegisterServer");
}
#endif

#ifdef TESTLIB_UNREGISTER
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() { return Run("DllUnregisterServer"); }
#endif

// Something to export for the build that has neither entry point.
extern "C" __declspec(dllexport) int STDAPICALLTYPE HalvernTestLibraryMarker() { return 1; }
