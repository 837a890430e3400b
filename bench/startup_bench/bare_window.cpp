// The lowest floor: one empty top-level window of the sample's size, shown.
#include <windows.h>

#include "bare_common.h"
#include "forms/startup_timeline.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  forms::MarkStartup("entry");
  HWND window = bench::CreateBareWindow();
  if (window == nullptr) return 1;
  forms::MarkStartup("frame window created");
  return bench::ShowAndRun(window, show_command);
}
