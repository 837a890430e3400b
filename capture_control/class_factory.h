// The class objects this server hands out, one per entry of its class table.
#pragma once

#include <windows.h>

namespace morvane {

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);

}  // namespace morvane
