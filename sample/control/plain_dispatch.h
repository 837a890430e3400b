// What the program's own automation objects without type information share:
// one reference count, IUnknown and IDispatch through QueryInterface, and no
// type information to give. T adds GetIDsOfNames and Invoke, may hide
// AnswersTo for one more interface id, and keeps its destructor private
// (befriending this base), so that only Release frees it.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace sample {

template <typename T>
class PlainDispatch : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || static_cast<const T*>(this)->AnswersTo(riid)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete static_cast<T*>(this);
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }

  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }

 protected:
  PlainDispatch() = default;
  ~PlainDispatch() = default;
  bool AnswersTo(REFIID) const { return false; }

 private:
  LONG refs_ = 1;
};

}  // namespace sample
