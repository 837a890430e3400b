#include "directshow/filter_base.h"

#include <cstring>
#include <cwchar>

#include "basics/com_object.h"
#include "directshow/enumerators.h"
#include "guard.h"

namespace morvane {

STDMETHODIMP OnePinFilter::QueryInterface(REFIID iid, void** object) {
  static const basics::InterfaceRow<OnePinFilter> kInterfaces[] = {
      basics::Row<OnePinFilter, IUnknown, IBaseFilter>(IID_IUnknown),
      basics::Row<OnePinFilter, IPersist, IBaseFilter>(IID_IPersist),
      basics::Row<OnePinFilter, IMediaFilter, IBaseFilter>(IID_IMediaFilter),
      basics::Row<OnePinFilter, IBaseFilter>(IID_IBaseFilter),
  };
  void* found = basics::FindInterface(this, kInterfaces, iid);
  return basics::HandOut(found != nullptr ? found : OtherInterface(iid), object);
}

STDMETHODIMP_(ULONG) OnePinFilter::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) OnePinFilter::Release() {
  const LONG left = ::InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP OnePinFilter::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

STDMETHODIMP OnePinFilter::SetSyncSource(IReferenceClock* clock) {
  clock_ = clock;
  return S_OK;
}

STDMETHODIMP OnePinFilter::GetSyncSource(IReferenceClock** clock) {
  if (!clock) return E_POINTER;
  *clock = clock_.Get();
  if (*clock) (*clock)->AddRef();
  return S_OK;
}

STDMETHODIMP OnePinFilter::EnumPins(IEnumPins** pins) {
  return ComGuard([&] { return MakePinEnumerator({Microsoft::WRL::ComPtr<IPin>(Pin())}, pins); });
}

STDMETHODIMP OnePinFilter::FindPin(LPCWSTR id, IPin** pin) {
  if (!id || !pin) return E_POINTER;
  *pin = nullptr;
  if (std::wcscmp(id, pin_id_) != 0) return VFW_E_NOT_FOUND;
  *pin = Pin();
  (*pin)->AddRef();
  return S_OK;
}

STDMETHODIMP OnePinFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (!info) return E_POINTER;
  *info = {};
  std::wcsncpy(info->achName, name_.c_str(), MAX_FILTER_NAME - 1);
  info->pGraph = graph_;
  if (graph_) graph_->AddRef();
  return S_OK;
}

STDMETHODIMP OnePinFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
  return ComGuard([&] {
    name_ = name ? name : L"";
    graph_ = graph;
    return S_OK;
  });
}

STDMETHODIMP OnePinFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

STDMETHODIMP PinBase::QueryInterface(REFIID iid, void** object) {
  static const basics::InterfaceRow<PinBase> kInterfaces[] = {
      basics::Row<PinBase, IUnknown, IPin>(IID_IUnknown),
      basics::Row<PinBase, IPin>(IID_IPin),
  };
  void* found = basics::FindInterface(this, kInterfaces, iid);
  return basics::HandOut(found != nullptr ? found : OtherInterface(iid), object);
}

// The pin lives inside its filter and counts with it.
STDMETHODIMP_(ULONG) PinBase::AddRef() { return filter_.AddRef(); }
STDMETHODIMP_(ULONG) PinBase::Release() { return filter_.Release(); }

STDMETHODIMP PinBase::Connect(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }
STDMETHODIMP PinBase::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) { return E_UNEXPECTED; }
STDMETHODIMP PinBase::EndOfStream() { return E_UNEXPECTED; }
STDMETHODIMP PinBase::BeginFlush() { return E_UNEXPECTED; }
STDMETHODIMP PinBase::EndFlush() { return E_UNEXPECTED; }

STDMETHODIMP PinBase::Disconnect() {
  if (!connected_) return S_FALSE;
  if (filter_.state() != State_Stopped) return VFW_E_NOT_STOPPED;
  connected_.Reset();
  connected_type_ = MediaType();
  OnDisconnect();
  return S_OK;
}

STDMETHODIMP PinBase::ConnectedTo(IPin** pin) {
  if (!pin) return E_POINTER;
  *pin = connected_.Get();
  if (!*pin) return VFW_E_NOT_CONNECTED;
  (*pin)->AddRef();
  return S_OK;
}

STDMETHODIMP PinBase::ConnectionMediaType(AM_MEDIA_TYPE* type) {
  if (!type) return E_POINTER;
  *type = {};
  if (!connected_) return VFW_E_NOT_CONNECTED;
  return CopyMediaType(connected_type_.get(), *type);
}

STDMETHODIMP PinBase::QueryPinInfo(PIN_INFO* info) {
  if (!info) return E_POINTER;
  *info = {};
  info->pFilter = &filter_;
  filter_.AddRef();
  info->dir = direction_;
  std::wcsncpy(info->achName, id_, MAX_PIN_NAME - 1);
  return S_OK;
}

STDMETHODIMP PinBase::QueryDirection(PIN_DIRECTION* direction) {
  if (!direction) return E_POINTER;
  *direction = direction_;
  return S_OK;
}

STDMETHODIMP PinBase::QueryId(LPWSTR* id) {
  if (!id) return E_POINTER;
  const size_t size = (std::wcslen(id_) + 1) * sizeof(wchar_t);
  *id = static_cast<LPWSTR>(::CoTaskMemAlloc(size));
  if (!*id) return E_OUTOFMEMORY;
  std::memcpy(*id, id_, size);
  return S_OK;
}

STDMETHODIMP PinBase::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }
STDMETHODIMP PinBase::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) { return S_OK; }

void PinBase::SetConnection(IPin* peer, const AM_MEDIA_TYPE& type) {
  connected_type_ = MediaType(type);
  connected_ = peer;
}

}  // namespace morvane
