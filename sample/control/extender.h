// The container's extender object of the hosted control: its Width and
// Height in twips, as singles. Reading gives the site window's current size;
// writing resizes the site in place (left and top stay).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "control/plain_dispatch.h"

namespace sample {

class Extender final : public PlainDispatch<Extender> {
 public:
  explicit Extender(HWND site_window);
  void Detach() { site_ = nullptr; }

  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                      UINT* arg_error) override;

 private:
  friend class basics::ComObject<Extender, IDispatch>;
  ~Extender() = default;
  // Invoke's work, run inside the program's COM guard.
  HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info);
  HWND site_;
};

}  // namespace sample
