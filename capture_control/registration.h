// Self-registration: the registry rows Morvane.ocx writes and removes.
#pragma once

#include <windows.h>

#include <string>

#include "registry_rows.h"

namespace morvane {

HRESULT RegisterServer(const std::wstring& module_path);
HRESULT UnregisterServer();

}  // namespace morvane
