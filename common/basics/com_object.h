// COM objects with one reference count and a QueryInterface table. An
// object lists, in a table, each interface id it answers for and the base
// that serves it (the first row's is the object's identity); the lookup
// walks the table, so the code holds no chain of ifs.
#pragma once

#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <cstddef>

namespace basics {

template <typename T>
struct InterfaceRow {
  const IID* iid;
  void* (*cast)(T* object);
};

template <typename T, typename I, typename Via>
void* CastTo(T* object) {
  return static_cast<I*>(static_cast<Via*>(object));
}

// The row for iid served by T's base I; Via names the base it is reached
// through where T holds I more than once (IUnknown, IOleWindow, IDispatch).
template <typename T, typename I, typename Via = I>
constexpr InterfaceRow<T> Row(const IID& iid) {
  return {&iid, &CastTo<T, I, Via>};
}

// The interface of object for iid, or null.
template <typename T, std::size_t N>
void* FindInterface(T* object, const InterfaceRow<T> (&rows)[N], REFIID iid) {
  for (const InterfaceRow<T>& row : rows) {
    if (*row.iid == iid) return row.cast(object);
  }
  return nullptr;
}

// QueryInterface's answer for what the lookup found: the interface with one
// reference more, or E_NOINTERFACE with the out-parameter cleared.
inline HRESULT HandOut(void* found, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = found;
  if (found == nullptr) return E_NOINTERFACE;
  static_cast<IUnknown*>(found)->AddRef();
  return S_OK;
}

// A new object, whose count starts at one, handed to its owner without
// another reference. MinGW's ComPtr::Attach adds one (the SDK's does not),
// so an object attached there would never be freed.
template <typename T>
Microsoft::WRL::ComPtr<T> Adopt(T* fresh) {
  Microsoft::WRL::ComPtr<T> owner;
  *owner.GetAddressOf() = fresh;
  return owner;
}

// One object, many interfaces, one reference count. T derives from
// ComObject<T, Interfaces...>, names its table `kInterfaces`, may hide
// OtherInterface for an id known only at run time, and keeps its destructor
// private (befriending this base), so that only Release frees it.
template <typename T, typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    T* self = static_cast<T*>(this);
    void* found = FindInterface(self, T::kInterfaces, iid);
    return HandOut(found != nullptr ? found : self->OtherInterface(iid), out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete static_cast<T*>(this);
    return static_cast<ULONG>(left);
  }

 protected:
  ComObject() = default;
  ~ComObject() = default;
  void* OtherInterface(REFIID) { return nullptr; }

 private:
  LONG references_ = 1;
};

}  // namespace basics
