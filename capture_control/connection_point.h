// The control's one connection point, for its event interface. It lives
// inside the control and shares the control's reference count.
#pragma once

#include <ocidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <vector>

#include "basics/com_object.h"

namespace morvane {

class EventConnectionPoint final : public IConnectionPoint {
 public:
  EventConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, REFIID event_iid);

  static const basics::InterfaceRow<EventConnectionPoint> kInterfaces[];

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

  // FindConnectionPoint of a container whose one point this is: this point
  // for its event interface, CONNECT_E_NOCONNECTION for any other.
  HRESULT FindFor(REFIID iid, IConnectionPoint** point);

  // A copy of the current sinks: a sink may unadvise, or advise another,
  // from inside the event being fired.
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> Sinks() const;
  // The same into a caller's array, without allocating; returns how many
  // sinks there are (more than capacity: call Sinks() instead).
  size_t CopySinks(Microsoft::WRL::ComPtr<IDispatch>* out, size_t capacity) const;
  bool HasSinks() const { return !sinks_.empty(); }
  // Drops every sink (the control is closing).
  void Clear() { sinks_.clear(); }

 private:
  struct Connection {
    DWORD cookie;
    Microsoft::WRL::ComPtr<IDispatch> sink;
  };

  IUnknown* owner_;
  IConnectionPointContainer* container_;
  IID event_iid_;
  DWORD next_cookie_ = 1;
  std::vector<Connection> sinks_;
};

}  // namespace morvane
