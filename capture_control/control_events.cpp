// The control's outgoing side: its connection point container, the class
// information a container reads to bind events, and the firing of events.
#include <windows.h>
#include <oleauto.h>

#include <array>

#include "control.h"
#include "low_memory.h"
#include "morvane_guids.h"

namespace morvane {

STDMETHODIMP Control::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (!points) return E_POINTER;
  *points = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP Control::FindConnectionPoint(REFIID iid, IConnectionPoint** point) { return events_.FindFor(iid, point); }

STDMETHODIMP Control::GetClassInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  return ComGuard([&] {
    HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return class_info_.CopyTo(info);
  });
}

STDMETHODIMP Control::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID__DMorvaneEvents;
  return S_OK;
}

void Control::FireEvent(DISPID id, VARIANTARG* args, UINT count) {
  // Copied first: a handler may unadvise itself. Up to eight sinks go
  // without allocating, which keeps the per-frame event off the heap.
  std::array<ComPtr<IDispatch>, 8> local;
  size_t total = events_.CopySinks(local.data(), local.size());
  if (total == 0) return;
  std::vector<ComPtr<IDispatch>> many;
  ComPtr<IDispatch>* sinks = local.data();
  if (total > local.size()) {
    many = events_.Sinks();
    sinks = many.data();
    total = many.size();
  }
  DISPPARAMS params{args, nullptr, count, 0};
  ComPtr<IDispatch> self(this);
  for (size_t i = 0; i < total; ++i) {
    // A sink's failure is its own affair; the other sinks still hear of it.
    // So is an exception a sink lets escape, against the rules of COM.
    try {
      sinks[i]->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    } catch (...) {
      ::OutputDebugStringW(L"Morvane: an event sink threw an exception\n");
    }
  }
}

void Control::FireStatusChanged(const wchar_t* text) {
  if (!events_.HasSinks()) return;
  VARIANTARG argument;
  argument.vt = VT_BSTR;
  argument.bstrVal = ::SysAllocString(text);
  if (!argument.bstrVal) return;
  FireEvent(kEventStatusChanged, &argument, 1);
  ::SysFreeString(argument.bstrVal);
}

void Control::FireError(HRESULT code, const std::wstring& text) {
  if (!events_.HasSinks()) return;
  VARIANTARG args[2];
  args[1].vt = VT_I4;
  args[1].lVal = code;
  args[0].vt = VT_BSTR;
  args[0].bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!args[0].bstrVal) return;
  FireEvent(kEventError, args, 2);
  ::SysFreeString(args[0].bstrVal);
}

void Control::FireWithoutArguments(EventId id) { FireEvent(id, nullptr, 0); }

void Control::FireTwoLongs(DISPID id, long first, long second) {
  // Arguments go in reverse order.
  VARIANTARG args[2];
  args[1].vt = VT_I4;
  args[1].lVal = first;
  args[0].vt = VT_I4;
  args[0].lVal = second;
  FireEvent(id, args, 2);
}

void Control::CaptureStarted(long width, long height) { FireTwoLongs(kEventCaptureStarted, width, height); }

void Control::FramesDropped(long first_slot) {
  VARIANTARG argument;
  argument.vt = VT_I4;
  argument.lVal = first_slot;
  FireEvent(kEventFrameDropped, &argument, 1);
}

void Control::CaptureStopped(StopReason reason) {
  VARIANTARG argument;
  argument.vt = VT_I2;
  argument.iVal = static_cast<SHORT>(reason);
  FireEvent(kEventCaptureStopped, &argument, 1);
}

void Control::FirePreviewChanged() {
  VARIANTARG args[2];
  args[1].vt = VT_BOOL;
  args[1].boolVal = preview_ ? VARIANT_TRUE : VARIANT_FALSE;
  args[0].vt = VT_BOOL;
  args[0].boolVal = overlay_ ? VARIANT_TRUE : VARIANT_FALSE;
  FireEvent(kEventPreviewChanged, args, 2);
}

void Control::CaptureComplete(long captured, long dropped) {
  FireTwoLongs(kEventCaptureComplete, captured, dropped);
}

bool Control::StreamFrame(long width, long height, const void* info, const void* bits) {
  if (!callback_enabled_) return false;
  SHORT stop_flag = 0;
  VARIANTARG args[5];
  args[4].vt = VT_I4;
  args[4].lVal = width;
  args[3].vt = VT_I4;
  args[3].lVal = height;
  args[2].vt = VT_I4;
  args[2].lVal = AddressToLong(info);
  args[1].vt = VT_I4;
  args[1].lVal = AddressToLong(bits);
  args[0].vt = VT_BYREF | VT_I2;
  args[0].piVal = &stop_flag;
  FireEvent(kEventStreamFrame, args, 5);
  return stop_flag != 0;
}

}  // namespace morvane
