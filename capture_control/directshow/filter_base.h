// What every one-pin filter of ours answers alike: its reference count and
// identity, the graph it joined and the name it got there, the reference
// clock, and its pin found by name. A filter says how it changes state and
// which pin it has.
#pragma once

#include <dshow.h>
#include <wrl/client.h>

#include <string>

namespace morvane {

class OnePinFilter : public IBaseFilter {
 public:
  OnePinFilter(const OnePinFilter&) = delete;
  OnePinFilter& operator=(const OnePinFilter&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IPersist
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  // IMediaFilter (the state changes are the filter's own)
  STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
  STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
  // IBaseFilter
  STDMETHODIMP EnumPins(IEnumPins** pins) override;
  STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
  STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
  STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;

  FILTER_STATE state() const { return state_; }
  IFilterGraph* graph() const { return graph_; }

 protected:
  // Starts with one reference, the creator's.
  OnePinFilter(const CLSID& clsid, const wchar_t* pin_id) : clsid_(clsid), pin_id_(pin_id) {}
  virtual ~OnePinFilter() = default;
  virtual IPin* Pin() = 0;

  volatile FILTER_STATE state_ = State_Stopped;

 private:
  LONG references_ = 1;
  const CLSID clsid_;
  const wchar_t* const pin_id_;
  IFilterGraph* graph_ = nullptr;  // not held: the graph holds us
  std::wstring name_;
  Microsoft::WRL::ComPtr<IReferenceClock> clock_;
};

}  // namespace morvane
