// The program's entry: OLE up, the main window created and loaded, the
// message loop, OLE down.
#include <windows.h>
#include <ole2.h>

#include "forms/error_report.h"
#include "forms/ole_session.h"
#include "forms/startup_timeline.h"
#include "main_window/main_window.h"

namespace {

// Twips are laid out at the screen's logical resolution; declaring the
// process DPI-aware keeps the system from scaling the window a second time.
void DeclareDpiAware() {
  using SetAware = BOOL(WINAPI*)();
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return;
  auto set_aware = reinterpret_cast<SetAware>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (set_aware != nullptr) set_aware();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  forms::MarkStartup("entry");
  DeclareDpiAware();
  forms::OleSession ole;
  forms::MarkStartup("OLE initialized");
  if (FAILED(ole.result())) {
    forms::ShowErrorReport(nullptr, convert::RuntimeError(static_cast<long>(ole.result()), L""));
    return 1;
  }
  int exit_code = 1;
  {
    sample::MainWindow window;
    try {
      window.Create();
    } catch (const convert::RuntimeError& error) {
      // Without the control the program cannot run: say what is missing.
      forms::ShowErrorReport(nullptr, error);
      return 1;
    } catch (...) {
      forms::ShowErrorReport(nullptr, forms::CurrentExceptionAsRuntimeError());
      return 1;
    }
    // A failure during start-up has been reported; the program ends.
    if (!window.Load()) return 1;
    forms::MarkStartup("start-up calls done");
    window.Show(show_command);
    forms::FinishStartupTimeline();
    exit_code = forms::RunMessageLoop();
  }
  return exit_code;
}
