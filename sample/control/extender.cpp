#include "control/extender.h"

#include <oleauto.h>

#include <cmath>

#include "control/members.h"
#include "forms/boundary_guard.h"
#include "forms/screen_units.h"

namespace sample {
namespace {

// The error a form raises for a size it cannot take.
constexpr HRESULT kInvalidPropertyValue = static_cast<HRESULT>(0x800A017C);
// A window side beyond this is refused rather than handed to the system.
constexpr double kLargestSidePixels = 32767;

HRESULT Refuse(EXCEPINFO* info) {
  if (info != nullptr) {
    *info = EXCEPINFO{};
    info->scode = kInvalidPropertyValue;
    info->bstrSource = SysAllocString(kControlName);
    info->bstrDescription = SysAllocString(L"プロパティの値が不正です。");
  }
  return DISP_E_EXCEPTION;
}

}  // namespace

Extender::Extender(HWND site_window) : site_(site_window) {}

STDMETHODIMP Extender::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (lstrcmpiW(names[0], L"Width") == 0) {
    ids[0] = kDispidExtenderWidth;
  } else if (lstrcmpiW(names[0], L"Height") == 0) {
    ids[0] = kDispidExtenderHeight;
  } else {
    return DISP_E_UNKNOWNNAME;
  }
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

STDMETHODIMP Extender::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* info, UINT*) {
  return forms::GuardInvoke(info, [&] { return InvokeMember(id, flags, params, result, info); });
}

HRESULT Extender::InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info) {
  if (id != kDispidExtenderWidth && id != kDispidExtenderHeight) return DISP_E_MEMBERNOTFOUND;
  if (site_ == nullptr || !IsWindow(site_)) return E_UNEXPECTED;
  const bool width = id == kDispidExtenderWidth;
  RECT rect{};
  GetWindowRect(site_, &rect);
  const int cx = rect.right - rect.left;
  const int cy = rect.bottom - rect.top;

  if (flags & DISPATCH_PROPERTYPUT) {
    if (params == nullptr || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantChangeType(&value, &params->rgvarg[0], 0, VT_R4);
    if (FAILED(hr)) return hr;
    const double twips = V_R4(&value);
    const double pixels = std::floor((width ? forms::TwipsToPixelsX(twips) : forms::TwipsToPixelsY(twips)) + 0.5);
    if (!(pixels >= 0 && pixels <= kLargestSidePixels)) return Refuse(info);
    const int side = static_cast<int>(pixels);
    SetWindowPos(site_, nullptr, 0, 0, width ? side : cx, width ? cy : side,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
  }
  if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
    if (result == nullptr) return S_OK;
    VariantInit(result);
    V_VT(result) = VT_R4;
    V_R4(result) = static_cast<float>(width ? forms::PixelsToTwipsX(cx) : forms::PixelsToTwipsY(cy));
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace sample
