// The screen's logical resolution, in pixels per inch on each axis. Every
// conversion between twips or hundredths of a millimetre and pixels in the
// program reads it here, so that all windows agree on one grid.
#pragma once

#include <windows.h>

namespace forms {

struct PixelsPerInch {
  int x;
  int y;
};

// Read from the screen once and kept: the process is DPI-aware, and the
// system's resolution does not change while it runs. A reading of zero or
// less (no screen) counts as 96.
PixelsPerInch ScreenPixelsPerInch();

// Where the reading comes from: GetDeviceCaps on the screen's device context
// unless another function is given. Tests give one that answers LOGPIXELSX
// and LOGPIXELSY differently, as some displays do. Passing nullptr goes back
// to GetDeviceCaps; either way the kept reading is dropped.
using DeviceCapsFunction = decltype(&::GetDeviceCaps);
void SetDeviceCapsFunction(DeviceCapsFunction function);

}  // namespace forms
