// The five functions Morvane.ocx exports, and nothing else: what a process
// that loads the server calls, each a line into the module's own parts.
#include <windows.h>

#include "class_factory.h"
#include "control_window.h"
#include "guard.h"
#include "module.h"
#include "registration.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    morvane::SetModuleInstance(instance);
    ::DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary (not process exit): our window class must go
    // with the code of its window procedure.
    morvane::UnregisterControlWindowClass(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return morvane::GetClassObject(clsid, iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return morvane::ModuleInUse() ? S_FALSE : S_OK; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return morvane::ComGuard([] { return morvane::RegisterServer(morvane::ModulePath()); });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return morvane::ComGuard([] { return morvane::UnregisterServer(); });
}
