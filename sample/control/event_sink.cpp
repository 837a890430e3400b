#include "control/event_sink.h"

#include <oleauto.h>
#include <olectl.h>

#include "control/members.h"
#include "forms/boundary_guard.h"

namespace sample {
namespace {

using Microsoft::WRL::ComPtr;

// A Long argument as controls pass it: mostly VT_I4, sometimes by reference
// or narrower. No allocation: this runs once per frame.
bool ReadLong(const VARIANT& v, std::int32_t* out) {
  switch (V_VT(&v)) {
    case VT_I4: *out = V_I4(&v); return true;
    case VT_INT: *out = V_INT(&v); return true;
    case VT_UI4: *out = static_cast<std::int32_t>(V_UI4(&v)); return true;
    case VT_I2: *out = V_I2(&v); return true;
    case VT_I4 | VT_BYREF: *out = *V_I4REF(&v); return true;
    case VT_I2 | VT_BYREF: *out = *V_I2REF(&v); return true;
    default: {
      VARIANT copy;
      VariantInit(&copy);
      if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&v), 0, VT_I4))) return false;
      *out = V_I4(&copy);
      return true;
    }
  }
}

HRESULT DefaultSourceOf(ITypeInfo* class_info, ComPtr<ITypeInfo>* source) {
  TYPEATTR* attr = nullptr;
  HRESULT hr = class_info->GetTypeAttr(&attr);
  if (FAILED(hr)) return hr;
  WORD count = attr->cImplTypes;
  class_info->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    INT flags = 0;
    if (FAILED(class_info->GetImplTypeFlags(i, &flags))) continue;
    if ((flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) != (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
      continue;
    HREFTYPE ref = 0;
    hr = class_info->GetRefTypeOfImplType(i, &ref);
    if (FAILED(hr)) return hr;
    return class_info->GetRefTypeInfo(ref, source->ReleaseAndGetAddressOf());
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT MemberIdAt(ITypeInfo* source, UINT index, MEMBERID* id) {
  FUNCDESC* desc = nullptr;
  HRESULT hr = source->GetFuncDesc(index, &desc);
  if (FAILED(hr)) return hr;
  *id = desc->memid;
  source->ReleaseFuncDesc(desc);
  return S_OK;
}

}  // namespace

HRESULT FindEventBinding(IUnknown* control, EventBinding* binding) {
  ComPtr<IProvideClassInfo> provide;
  HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&provide));
  if (FAILED(hr)) return hr;
  ComPtr<ITypeInfo> class_info;
  hr = provide->GetClassInfo(&class_info);
  if (FAILED(hr)) return hr;
  ComPtr<ITypeInfo> source;
  hr = DefaultSourceOf(class_info.Get(), &source);
  if (FAILED(hr)) return hr;

  ComPtr<IProvideClassInfo2> provide2;
  GUID iid = IID_NULL;
  if (FAILED(control->QueryInterface(IID_PPV_ARGS(&provide2))) ||
      FAILED(provide2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iid))) {
    TYPEATTR* attr = nullptr;
    hr = source->GetTypeAttr(&attr);
    if (FAILED(hr)) return hr;
    iid = attr->guid;
    source->ReleaseTypeAttr(attr);
  }
  binding->source_iid = iid;
  hr = MemberIdAt(source.Get(), kCaptureCompleteEventIndex, &binding->capture_complete);
  if (FAILED(hr)) return hr;
  return MemberIdAt(source.Get(), kStreamFrameEventIndex, &binding->stream_frame);
}

EventSink::EventSink(const EventBinding& binding, ControlEvents* events) : binding_(binding), events_(events) {}

STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* error,
                               UINT*) {
  return forms::GuardInvoke(error, [&] { return Dispatch(id, params); });
}

HRESULT EventSink::Dispatch(DISPID id, DISPPARAMS* params) {
  if (params == nullptr) return E_POINTER;
  if (events_ == nullptr) return S_OK;
  // Arguments arrive last first.
  if (id == binding_.capture_complete) {
    if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    std::int32_t captured = 0, dropped = 0;
    if (!ReadLong(params->rgvarg[1], &captured) || !ReadLong(params->rgvarg[0], &dropped)) return DISP_E_TYPEMISMATCH;
    events_->OnCaptureComplete(captured, dropped);
    return S_OK;
  }
  if (id == binding_.stream_frame) {
    if (params->cArgs != 5) return DISP_E_BADPARAMCOUNT;
    std::int32_t width = 0, height = 0, info = 0, bits = 0;
    if (!ReadLong(params->rgvarg[4], &width) || !ReadLong(params->rgvarg[3], &height) ||
        !ReadLong(params->rgvarg[2], &info) || !ReadLong(params->rgvarg[1], &bits))
      return DISP_E_TYPEMISMATCH;
    VARIANT& stop_arg = params->rgvarg[0];
    std::int16_t ignored = 0;
    std::int16_t* stop = &ignored;
    if (V_VT(&stop_arg) == (VT_BYREF | VT_I2) && V_I2REF(&stop_arg) != nullptr)
      stop = reinterpret_cast<std::int16_t*>(V_I2REF(&stop_arg));
    events_->OnStreamFrame(width, height, info, bits, stop);
    return S_OK;
  }
  // The other events of the interface are not handled here.
  return S_OK;
}

}  // namespace sample
