// What the program's own automation objects without type information share:
// one reference count, IUnknown and IDispatch through the one table, and no
// type information to give. T adds GetIDsOfNames and Invoke, may hide
// OtherInterface for one more interface id, and keeps its destructor private
// (befriending basics::ComObject<T, IDispatch>), so that only Release frees
// it.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "basics/com_object.h"

namespace sample {

template <typename T>
class PlainDispatch : public basics::ComObject<T, IDispatch> {
 public:
  static constexpr basics::InterfaceRow<T> kInterfaces[] = {
      basics::Row<T, IDispatch>(IID_IUnknown),
      basics::Row<T, IDispatch>(IID_IDispatch),
  };

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
};

}  // namespace sample
