// The sink that receives the control's events. The events are found by their
// place in the control's default source interface, so any control with the
// same event layout works; the member ids are read from its type information.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include "control/control_events.h"
#include "control/plain_dispatch.h"

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

class EventSink final : public PlainDispatch<EventSink> {
 public:
  EventSink(const EventBinding& binding, ControlEvents* events);
  // The host detaches before it goes, so a late event finds no receiver.
  void Detach() { events_ = nullptr; }

  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  // Runs inside the program's COM guard: a failure goes back to the control
  // as an error, never as an exception.
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* error,
                      UINT*) override;

 private:
  friend class basics::ComObject<EventSink, IDispatch>;
  ~EventSink() = default;
  // The control's own event interface is this sink too.
  void* OtherInterface(REFIID riid) {
    return riid == binding_.source_iid ? static_cast<IDispatch*>(this) : nullptr;
  }
  // Invoke's work: one event handed on to the receiver.
  HRESULT Dispatch(DISPID id, DISPPARAMS* params);
  EventBinding binding_;
  ControlEvents* events_;
};

}  // namespace sample
