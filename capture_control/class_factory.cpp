#include "class_factory.h"

#include <new>

#include "control.h"
#include "guard.h"
#include "module.h"
#include "morvane_guids.h"

namespace morvane {
namespace {

using CreateFunction = HRESULT (*)(REFIID iid, void** object);

struct ClassRow {
  const CLSID* clsid;
  CreateFunction create;
};

const ClassRow kClasses[] = {
    {&CLSID_Morvane, &Control::Create},
};

// A class factory lives in the module's data and is never freed; its
// references count as module locks so DllCanUnloadNow waits for its clients.
class ClassFactory final : public IClassFactory {
 public:
  explicit constexpr ClassFactory(CreateFunction create) : create_(create) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
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
  CreateFunction create_;
};

ClassFactory g_factories[] = {ClassFactory(kClasses[0].create)};
static_assert(sizeof(g_factories) / sizeof(g_factories[0]) == sizeof(kClasses) / sizeof(kClasses[0]),
              "one factory per class row");

}  // namespace

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (size_t i = 0; i < sizeof(kClasses) / sizeof(kClasses[0]); ++i) {
    if (*kClasses[i].clsid == clsid) return g_factories[i].QueryInterface(iid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace morvane
