#include "class_factory.h"

#include <new>

#include "basics/com_object.h"
#include "control.h"
#include "guard.h"
#include "module.h"
#include "morvane_guids.h"

namespace morvane {
namespace {

using CreateFunction = HRESULT (*)(REFIID iid, void** object);

// A class factory lives in the module's data and is never freed; its
// references count as module locks so DllCanUnloadNow waits for its clients.
class ClassFactory final : public IClassFactory {
 public:
  explicit constexpr ClassFactory(CreateFunction create) : create_(create) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    return basics::HandOut(basics::FindInterface(this, kInterfaces, iid), object);
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    LockModule();
    return 2;
  }
  STDMETHODIMP_(ULONG) Release() override {
    UnlockModule();
    return 1;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return ComGuard([&] { return create_(iid, object); });
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      LockModule();
    } else {
      UnlockModule();
    }
    return S_OK;
  }

 private:
  static constexpr basics::InterfaceRow<ClassFactory> kInterfaces[] = {
      basics::Row<ClassFactory, IClassFactory>(IID_IUnknown),
      basics::Row<ClassFactory, IClassFactory>(IID_IClassFactory),
  };

  CreateFunction create_;
};

// Every class this server makes, each with its class object.
struct ClassRow {
  const CLSID* clsid;
  ClassFactory factory;
};

ClassRow g_classes[] = {
    {&CLSID_Morvane, ClassFactory(&Control::Create)},
};

}  // namespace

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (ClassRow& row : g_classes) {
    if (*row.clsid == clsid) return row.factory.QueryInterface(iid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace morvane
