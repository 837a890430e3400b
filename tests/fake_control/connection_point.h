// The stand-in's one connection point: the event interface's sinks, by cookie.
#pragma once

#include <ocidl.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

namespace morvane_double {

class ConnectionPoint final : public IConnectionPoint {
 public:
  // The container is not owned: it owns this object and outlives it.
  ConnectionPoint(IConnectionPointContainer* container, REFIID iid);

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override;

  // Raises one event on every sink. The list is copied first, so a sink may
  // unadvise from inside the event. args are in the event's own order.
  void Fire(DISPID dispid, VARIANT* args, UINT count);
  void Clear() { sinks_.clear(); }

 private:
  ~ConnectionPoint() = default;
  ULONG refs_ = 1;
  IConnectionPointContainer* container_;
  IID iid_;
  DWORD next_cookie_ = 1;  // never hands out 0
  std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> sinks_;
};

}  // namespace morvane_double
