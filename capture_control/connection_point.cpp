#include "connection_point.h"

#include <olectl.h>

#include <algorithm>

#include "basics/com_object.h"

#include "guard.h"

namespace morvane {

EventConnectionPoint::EventConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, REFIID event_iid)
    : owner_(owner), container_(container), event_iid_(event_iid) {}

// The point is its own object to QueryInterface, counted with its owner.
const basics::InterfaceRow<EventConnectionPoint> EventConnectionPoint::kInterfaces[] = {
    basics::Row<EventConnectionPoint, IConnectionPoint>(IID_IUnknown),
    basics::Row<EventConnectionPoint, IConnectionPoint>(IID_IConnectionPoint),
};

STDMETHODIMP EventConnectionPoint::QueryInterface(REFIID iid, void** object) {
  return basics::HandOut(basics::FindInterface(this, kInterfaces, iid), object);
}

STDMETHODIMP_(ULONG) EventConnectionPoint::AddRef() { return owner_->AddRef(); }
STDMETHODIMP_(ULONG) EventConnectionPoint::Release() { return owner_->Release(); }

STDMETHODIMP EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = event_iid_;
  return S_OK;
}

STDMETHODIMP EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  *container = container_;
  container_->AddRef();
  return S_OK;
}

STDMETHODIMP EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  return ComGuard([&] {
    Microsoft::WRL::ComPtr<IDispatch> dispatch;
    // Our events are dispinterface calls: a sink answers for the event
    // interface itself or, as many containers do, only for IDispatch. A
    // sink that claims success but hands back nothing is no sink: the next
    // event would call through a null pointer.
    if ((FAILED(sink->QueryInterface(event_iid_, reinterpret_cast<void**>(dispatch.ReleaseAndGetAddressOf()))) ||
         !dispatch) &&
        (FAILED(sink->QueryInterface(IID_PPV_ARGS(dispatch.ReleaseAndGetAddressOf()))) || !dispatch)) {
      return CONNECT_E_CANNOTCONNECT;
    }
    sinks_.push_back({next_cookie_, dispatch});
    *cookie = next_cookie_;
    if (++next_cookie_ == 0) next_cookie_ = 1;  // 0 means "no connection" to callers
    return S_OK;
  });
}

STDMETHODIMP EventConnectionPoint::Unadvise(DWORD cookie) {
  auto found = std::find_if(sinks_.begin(), sinks_.end(),
                            [cookie](const Connection& connection) { return connection.cookie == cookie; });
  if (cookie == 0 || found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(found);
  return S_OK;
}

STDMETHODIMP EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (!connections) return E_POINTER;
  *connections = nullptr;
  return E_NOTIMPL;
}

HRESULT EventConnectionPoint::FindFor(REFIID iid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (iid != event_iid_) return CONNECT_E_NOCONNECTION;
  *point = this;
  AddRef();
  return S_OK;
}

std::vector<Microsoft::WRL::ComPtr<IDispatch>> EventConnectionPoint::Sinks() const {
  std::vector<Microsoft::WRL::ComPtr<IDispatch>> copy;
  copy.reserve(sinks_.size());
  for (const Connection& connection : sinks_) copy.push_back(connection.sink);
  return copy;
}

}  // namespace morvane

namespace morvane {

size_t EventConnectionPoint::CopySinks(Microsoft::WRL::ComPtr<IDispatch>* out, size_t capacity) const {
  if (sinks_.size() <= capacity) {
    for (size_t i = 0; i < sinks_.size(); ++i) out[i] = sinks_[i].sink;
  }
  return sinks_.size();
}

}  // namespace morvane
