// What the benches that drive the control through its dispatch interface
// share: property writes, the values they write, and a sink that keeps the
// counts a capture ends with. Header-only, like the container it builds on.
#pragma once

#include <ole2.h>
#include <windows.h>
#include <wrl/client.h>

#include <vector>

#include "bare_container.h"
#include "dispatch_ids.h"
#include "morvane_guids.h"

namespace bench {

inline HRESULT Put(IDispatch* control, DISPID id, VARIANT value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  return control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

inline HRESULT PutText(IDispatch* control, DISPID id, const wchar_t* text) {
  VARIANT value;
  value.vt = VT_BSTR;
  value.bstrVal = ::SysAllocString(text);
  const HRESULT hr = Put(control, id, value);
  ::SysFreeString(value.bstrVal);
  return hr;
}

inline VARIANT Number(double value) {
  VARIANT variant;
  variant.vt = VT_R8;
  variant.dblVal = value;
  return variant;
}

inline VARIANT Flag(bool value) {
  VARIANT variant;
  variant.vt = VT_BOOL;
  variant.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return variant;
}

// Keeps what CaptureComplete reports (-1 until it comes); every other event
// goes to OnEvent.
class CaptureSink : public morvane_test::StackSink {
 public:
  long captured = -1;
  long dropped = -1;
  // The slots of the first frames dropped, to tell a slow start from a
  // capture that falls behind.
  std::vector<long> first_dropped;

  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id == morvane::kEventCaptureComplete) {
      captured = params->rgvarg[1].lVal;
      dropped = params->rgvarg[0].lVal;
    } else {
      if (id == morvane::kEventFrameDropped && first_dropped.size() < 5) first_dropped.push_back(params->rgvarg[0].lVal);
      OnEvent(id);
    }
    return S_OK;
  }

 protected:
  virtual void OnEvent(DISPID) {}
};

// Connects the sink to the control's events; the caller unadvises the
// cookie from the point when the run is over.
inline bool Advise(IDispatch* control, IDispatch* sink, Microsoft::WRL::ComPtr<IConnectionPoint>& point,
                   DWORD& cookie) {
  Microsoft::WRL::ComPtr<IConnectionPointContainer> container;
  return SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&container))) &&
         SUCCEEDED(container->FindConnectionPoint(DIID__DMorvaneEvents, &point)) &&
         SUCCEEDED(point->Advise(sink, &cookie));
}

}  // namespace bench
