// The lowest floor: one empty top-level window of the sample's size, shown.
#include <windows.h>

#include "bare_common.h"

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  HWND window = bench::CreateBareWindow(&WindowProc);
  if (window == nullptr) return 1;
  ShowWindow(window, show_command);
  UpdateWindow(window);
  return bench::RunMessageLoop();
}
