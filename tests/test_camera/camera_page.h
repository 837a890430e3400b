// The test camera's property page: one line of text, shown in the frame the
// system builds around a device's pages (OleCreatePropertyFrame), so that a
// host's source dialog can be seen opening the device's own pages. It
// changes nothing: it is never dirty, and Apply has nothing to do.
#pragma once

#include <ocidl.h>

namespace testcamera {

// {0E67639C-CA69-4332-82AD-16AA2654923F}
extern const CLSID kCameraPageClsid;
// What the page shows, for the tests that look for it.
inline constexpr wchar_t kCameraPageText[] = L"Morvane Test Camera: 30 frames per second";

HRESULT CreateCameraPage(REFIID iid, void** object);

}  // namespace testcamera
