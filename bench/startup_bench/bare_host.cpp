// The floor for a program that hosts our control: the bare window, OLE, the
// control created by its programmatic id, given a client site and activated
// in place in a 320x240 rectangle, then shown. Nothing else: no widgets, no
// fonts, no calls through the control's dispatch interface.
#include <windows.h>

#include "bare_common.h"
#include "bare_control.h"
#include "forms/ole_session.h"
#include "forms/startup_timeline.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  forms::MarkStartup("entry");
  forms::OleSession ole;
  if (FAILED(ole.result())) return 1;
  forms::MarkStartup("OLE initialized");
  HWND window = bench::CreateBareWindow();
  if (window == nullptr) return 1;
  forms::MarkStartup("frame window created");
  bench::BareControl control;
  if (!control.Activate(window, RECT{8, 8, 8 + 320, 8 + 240})) return 1;
  forms::MarkStartup("control created and activated");
  return bench::ShowAndRun(window, show_command);
}
