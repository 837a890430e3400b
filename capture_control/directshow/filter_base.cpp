#include "directshow/filter_base.h"

#include <cwchar>
#include <new>

#include "directshow/enumerators.h"

namespace morvane {

STDMETHODIMP OnePinFilter::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IMediaFilter) ||
      IsEqualIID(iid, IID_IBaseFilter)) {
    *object = static_cast<IBaseFilter*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
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
  try {
    return MakePinEnumerator({Microsoft::WRL::ComPtr<IPin>(Pin())}, pins);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
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
  try {
    name_ = name ? name : L"";
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  graph_ = graph;
  return S_OK;
}

STDMETHODIMP OnePinFilter::QueryVendorInfo(LPWSTR*) { return E_NOTIMPL; }

}  // namespace morvane
