// The lowest floor: one empty top-level window of the sample's size, shown.
#include <windows.h>

#include "bare_common.h"
#include "startup_timeline.h"

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  forms::MarkStartup("entry");
  HWND window = bench::CreateBareWindow(&WindowProc);
  if (window == nullptr) return 1;
  forms::MarkStartup("frame window created");
  ShowWindow(window, show_command);
  forms::MarkStartup("shown");
  UpdateWindow(window);
  forms::MarkStartup("first paint");
  forms::FinishStartupTimeline();
  return bench::RunMessageLoop();
}
