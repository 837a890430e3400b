// Halvern.exe: registers and unregisters OLE controls through their own
// self-registration entry points.
#include <windows.h>

#include "app/application.h"
#include "dialogs/registration_dialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  halvern::Application& app = halvern::Application::Instance();
  app.Initialise(instance);
  {
    // The dialog object brackets OLE: created before the window, destroyed after it.
    halvern::RegistrationDialog dialog;
    // After a failed OLE start the exit request stands: no dialog, no command.
    if (!app.exit_requested()) dialog.DoModal(nullptr);
  }
  return 0;
}
