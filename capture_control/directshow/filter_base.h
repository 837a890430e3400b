// What every one-pin filter of ours answers alike: its reference count and
// identity, the graph it joined and the name it got there, the reference
// clock, and its pin found by name. A filter says how it changes state and
// which pin it has, and finds any other interface it has through
// OtherInterface.
// Likewise for that pin: its identity through the filter's reference count,
// its name and direction, the peer it is connected to and the type agreed
// on. A pin says how it connects, what it accepts and what else it offers.
#pragma once

#include <dshow.h>
#include <wrl/client.h>

#include <atomic>
#include <string>

#include "directshow/media_type.h"

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
  // Another interface of this filter, nullptr if it has none such.
  virtual void* OtherInterface(REFIID) { return nullptr; }

  // Changed on the graph's thread, read on the streaming thread.
  std::atomic<FILTER_STATE> state_{State_Stopped};

 private:
  LONG references_ = 1;
  const CLSID clsid_;
  const wchar_t* const pin_id_;
  IFilterGraph* graph_ = nullptr;  // not held: the graph holds us
  std::wstring name_;
  Microsoft::WRL::ComPtr<IReferenceClock> clock_;
};

class PinBase : public IPin {
 public:
  PinBase(const PinBase&) = delete;
  PinBase& operator=(const PinBase&) = delete;

  // IUnknown and IPin here; the pin's other interfaces through OtherInterface.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IPin: the calls that belong to the other direction answer E_UNEXPECTED
  // (Connect comes to output pins; the rest to input pins); a pin overrides
  // those of its own.
  STDMETHODIMP Connect(IPin* receiver, const AM_MEDIA_TYPE* type) override;
  STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
  STDMETHODIMP EndOfStream() override;
  STDMETHODIMP BeginFlush() override;
  STDMETHODIMP EndFlush() override;
  STDMETHODIMP Disconnect() override;
  STDMETHODIMP ConnectedTo(IPin** pin) override;
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* type) override;
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
  STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
  STDMETHODIMP QueryId(LPWSTR* id) override;
  STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
  STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

  bool connected() const { return connected_ != nullptr; }
  IPin* peer() const { return connected_.Get(); }

 protected:
  PinBase(OnePinFilter& filter, PIN_DIRECTION direction, const wchar_t* id)
      : filter_(filter), direction_(direction), id_(id) {}
  ~PinBase() = default;

  // Another interface of this pin, nullptr if it has none such.
  virtual void* OtherInterface(REFIID) { return nullptr; }
  // The pin's own clean-up when its connection ends.
  virtual void OnDisconnect() {}
  // Throws std::bad_alloc when the type cannot be copied; nothing changes then.
  void SetConnection(IPin* peer, const AM_MEDIA_TYPE& type);

  OnePinFilter& filter_;
  Microsoft::WRL::ComPtr<IPin> connected_;
  MediaType connected_type_;

 private:
  const PIN_DIRECTION direction_;
  const wchar_t* const id_;
};

// An object of ours with more interfaces than its base's: their IUnknown
// methods are the base's (one identity, one count), and the base finds
// them through OtherInterface.
template <typename Base, typename... Others>
class AlsoImplements : public Base, public Others... {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override { return Base::QueryInterface(iid, object); }
  STDMETHODIMP_(ULONG) AddRef() override { return Base::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return Base::Release(); }

 protected:
  using Base::Base;
};

}  // namespace morvane
