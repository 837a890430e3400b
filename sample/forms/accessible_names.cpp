// The property and class ids are defined here, once: MinGW's import
// libraries do not carry them.
#include <initguid.h>

#include "forms/accessible_names.h"

namespace forms {

AnnotationService SystemAnnotationService() {
  AnnotationService service;
  // MinGW declares no __uuidof for this interface: its id is named.
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                              reinterpret_cast<void**>(service.GetAddressOf())))) {
    return nullptr;
  }
  return service;
}

AccessibleNames::~AccessibleNames() { ClearAll(); }

HRESULT AccessibleNames::Name(HWND window, const std::wstring& name) {
  if (!service_) return S_FALSE;
  const HRESULT hr = service_->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT),
                                              static_cast<DWORD>(CHILDID_SELF), PROPID_ACC_NAME, name.c_str());
  if (SUCCEEDED(hr)) named_.push_back(window);
  return hr;
}

void AccessibleNames::ClearAll() noexcept {
  if (!service_) return;
  MSAAPROPID property = PROPID_ACC_NAME;
  for (HWND window : named_) {
    service_->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), static_cast<DWORD>(CHILDID_SELF), &property, 1);
  }
  named_.clear();
}

}  // namespace forms
