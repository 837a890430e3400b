// The container's extender object of the hosted control: its Width and
// Height in twips, as singles. Reading gives the site window's current size;
// writing resizes the site in place (left and top stay).
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sample {

class Extender final : public IDispatch {
 public:
  explicit Extender(HWND site_window);
  void Detach() { site_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                      UINT* arg_error) override;

 private:
  ~Extender() = default;
  // Invoke's work, run inside the program's COM guard.
  HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info);
  LONG refs_ = 1;
  HWND site_;
};

}  // namespace sample
