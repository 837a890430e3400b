#include "control/control_site.h"

#include <olectl.h>
#include <oleauto.h>

#include "control/members.h"
#include "forms/boundary_guard.h"
#include "forms/form_font.h"

namespace sample {
namespace {

constexpr OLE_COLOR kButtonFace = 0x8000000F;
constexpr OLE_COLOR kButtonText = 0x80000012;

void SetBool(VARIANT* v, bool value) {
  V_VT(v) = VT_BOOL;
  V_BOOL(v) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetI4(VARIANT* v, LONG value) {
  V_VT(v) = VT_I4;
  V_I4(v) = value;
}

// OLE fonts give their size in ten-thousandths of a point.
constexpr LONGLONG kFontSizeUnitsPerPoint = 10000;

// The window's default font as the ambient font, so a control that draws
// text matches the widgets around it.
HRESULT AmbientFont(VARIANT* v) {
  FONTDESC desc{};
  desc.cbSizeofstruct = sizeof desc;
  desc.lpstrName = const_cast<LPOLESTR>(forms::kFormFontFace);
  desc.cySize.int64 = forms::kDefaultFontStyle.points * kFontSizeUnitsPerPoint;
  desc.sWeight = static_cast<SHORT>(forms::kDefaultFontStyle.weight);
  desc.sCharset = forms::kFormFontCharset;
  IFontDisp* font = nullptr;
  HRESULT hr = OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(&font));
  if (FAILED(hr)) return hr;
  V_VT(v) = VT_DISPATCH;
  V_DISPATCH(v) = font;
  return S_OK;
}

}  // namespace


ControlSite::ControlSite(HWND site_window, IDispatch* extender) : site_(site_window), extender_(extender) {}

void ControlSite::Detach() {
  active_object_.Reset();
  in_place_object_.Reset();
  extender_.Reset();
  site_ = nullptr;
}

// IOleClientSite: the control is never saved or linked.
STDMETHODIMP ControlSite::SaveObject() { return E_NOTIMPL; }
STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP ControlSite::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOINTERFACE;
}
STDMETHODIMP ControlSite::ShowObject() { return S_OK; }
STDMETHODIMP ControlSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::RequestNewObjectLayout() { return E_NOTIMPL; }

STDMETHODIMP ControlSite::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = site_;
  return site_ ? S_OK : E_FAIL;
}
STDMETHODIMP ControlSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP ControlSite::CanInPlaceActivate() { return site_ ? S_OK : S_FALSE; }
STDMETHODIMP ControlSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP ControlSite::OnUIActivate() { return S_OK; }

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  return forms::GuardCall([&] {
    if (frame == nullptr || doc == nullptr || pos == nullptr || clip == nullptr || info == nullptr) return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *doc = nullptr;  // the frame is the only UI window
    GetClientRect(site_, pos);
    *clip = *pos;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(site_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  });
}

STDMETHODIMP ControlSite::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP ControlSite::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP ControlSite::DeactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP ControlSite::OnPosRectChange(LPCRECT rect) {
  return forms::GuardCall([&] {
    // The site decides the control's place; it keeps filling the site window.
    if (rect == nullptr) return E_POINTER;
    if (in_place_object_ && site_) {
      RECT client{};
      GetClientRect(site_, &client);
      in_place_object_->SetObjectRects(&client, &client);
    }
    return S_OK;
  });
}

STDMETHODIMP ControlSite::OnInPlaceActivateEx(BOOL* no_redraw, DWORD) {
  if (no_redraw != nullptr) *no_redraw = FALSE;
  return S_OK;
}
STDMETHODIMP ControlSite::OnInPlaceDeactivateEx(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::RequestUIActivate() { return S_OK; }

STDMETHODIMP ControlSite::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP ControlSite::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP ControlSite::SetBorderSpace(LPCBORDERWIDTHS) { return OLE_E_INVALIDRECT; }

STDMETHODIMP ControlSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  return forms::GuardCall([&] {
    active_object_ = object;
    return S_OK;
  });
}

STDMETHODIMP ControlSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP ControlSite::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP ControlSite::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

STDMETHODIMP ControlSite::OnControlInfoChanged() { return S_OK; }
STDMETHODIMP ControlSite::LockInPlaceActive(BOOL) { return S_OK; }

STDMETHODIMP ControlSite::GetExtendedControl(IDispatch** extender) {
  return forms::GuardCall([&] {
    if (extender == nullptr) return E_POINTER;
    *extender = extender_.Get();
    if (*extender == nullptr) return E_NOTIMPL;
    (*extender)->AddRef();
    return S_OK;
  });
}

STDMETHODIMP ControlSite::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP ControlSite::TranslateAccelerator(LPMSG, DWORD) { return S_FALSE; }
STDMETHODIMP ControlSite::OnFocus(BOOL) { return S_OK; }
STDMETHODIMP ControlSite::ShowPropertyFrame() { return E_NOTIMPL; }

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}
STDMETHODIMP ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP ControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP ControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                 EXCEPINFO* error, UINT*) {
  return forms::GuardInvoke(error, [&] { return AmbientProperty(id, flags, result); });
}

HRESULT ControlSite::AmbientProperty(DISPID id, WORD flags, VARIANT* result) {
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (result == nullptr) return E_POINTER;
  VariantInit(result);
  switch (id) {
    case DISPID_AMBIENT_USERMODE: SetBool(result, true); return S_OK;
    case DISPID_AMBIENT_UIDEAD: SetBool(result, false); return S_OK;
    case DISPID_AMBIENT_SHOWGRABHANDLES: SetBool(result, false); return S_OK;
    case DISPID_AMBIENT_SHOWHATCHING: SetBool(result, false); return S_OK;
    case DISPID_AMBIENT_MESSAGEREFLECT: SetBool(result, false); return S_OK;
    case DISPID_AMBIENT_SUPPORTSMNEMONICS: SetBool(result, false); return S_OK;
    case DISPID_AMBIENT_AUTOCLIP: SetBool(result, true); return S_OK;
    case DISPID_AMBIENT_BACKCOLOR: SetI4(result, static_cast<LONG>(kButtonFace)); return S_OK;
    case DISPID_AMBIENT_FORECOLOR: SetI4(result, static_cast<LONG>(kButtonText)); return S_OK;
    case DISPID_AMBIENT_LOCALEID: SetI4(result, static_cast<LONG>(GetUserDefaultLCID())); return S_OK;
    case DISPID_AMBIENT_APPEARANCE: SetI4(result, 1); return S_OK;  // 3-D
    case DISPID_AMBIENT_FONT: return AmbientFont(result);
    case DISPID_AMBIENT_DISPLAYNAME:
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = SysAllocString(kControlName);
      return V_BSTR(result) ? S_OK : E_OUTOFMEMORY;
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace sample
