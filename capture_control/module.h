// The in-process server's module state: its instance handle and the counts
// that DllCanUnloadNow looks at.
#pragma once

#include <windows.h>

#include <string>

namespace morvane {

// Set once, by DllMain, before anything else of ours runs.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();
// Full path of Morvane.ocx itself (for InprocServer32 and the type library).
std::wstring ModulePath();

// Every live COM object of ours counts itself here; LockServer adds locks.
void ObjectCreated();
void ObjectDestroyed();
void LockModule();
void UnlockModule();
bool ModuleInUse();

}  // namespace morvane
