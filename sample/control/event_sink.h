// The sink that receives the control's events. The events are found by their
// place in the control's default source interface, so any control with the
// same event layout works; the member ids are read from its type information.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include "control_events.h"

namespace sample {

struct EventBinding {
  IID source_iid = IID_NULL;
  MEMBERID capture_complete = DISPID_UNKNOWN;
  MEMBERID stream_frame = DISPID_UNKNOWN;
};

// Reads the control's default source interface and the ids of the two
// handled events. Returns the failing HRESULT when the control describes no
// such interface.
HRESULT FindEventBinding(IUnknown* control, EventBinding* binding);

class EventSink final : public IDispatch {
 public:
  EventSink(const EventBinding& binding, ControlEvents* events);
  // The host detaches before it goes, so a late event finds no receiver.
  void Detach() { events_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  // Runs inside the program's COM guard: a failure goes back to the control
  // as an error, never as an exception.
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* error,
                      UINT*) override;

 private:
  ~EventSink() = default;
  // Invoke's work: one event handed on to the receiver.
  HRESULT Dispatch(DISPID id, DISPPARAMS* params);
  LONG refs_ = 1;
  EventBinding binding_;
  ControlEvents* events_;
};

}  // namespace sample
