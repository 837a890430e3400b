// The floor for a program that hosts our control: the bare window, OLE, the
// control created by its programmatic id, given a client site and activated
// in place in a 320x240 rectangle, then shown. Nothing else: no widgets, no
// fonts, no calls through the control's dispatch interface.
#include <windows.h>

#include "bare_control.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  bench::HostingFloor floor;
  if (floor.window() == nullptr || !floor.ActivateControl(RECT{8, 8, 8 + 320, 8 + 240})) return 1;
  return floor.ShowAndRun(show_command);
}
