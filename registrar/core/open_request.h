// The file-open request of the Browse command.
#pragma once

#include <windows.h>
#include <commdlg.h>

namespace halvern {

// The buffers the request points into; they must outlive the request.
struct OpenRequestBuffers {
  char file[256];        // preset to "*.ocx"; receives the full path
  char fileTitle[16];    // filled by the dialog, never read
  char initialDir[256];  // the system directory
};

// Clears the request and fills it: owner, the OCX filter, "*.ocx" in the
// name box, the system directory to start in, the title, must-exist flags and
// the default extension. The size is the old (400) layout of the structure.
void PrepareOpenRequest(OPENFILENAMEA& request, OpenRequestBuffers& buffers, HWND owner);

}  // namespace halvern
