// IOleObject: how a container sites, activates and closes the control.
#include "control.h"
#include "morvane_guids.h"

namespace morvane {

STDMETHODIMP Control::SetClientSite(IOleClientSite* site) {
  client_site_ = site;
  if (!site) {
    in_place_site_.Reset();
  }
  return S_OK;
}

STDMETHODIMP Control::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = nullptr;
  return client_site_.CopyTo(site);
}

STDMETHODIMP Control::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP Control::Close(DWORD) {
  return ComGuard([&] {
    // A capture still running nested below this call ends at its next frame.
    if (capture_.capturing) capture_.RequestStop(StopReason::kClosed);
    InPlaceDeactivate();
    if (advise_holder_) advise_holder_->SendOnClose();
    return S_OK;
  });
}

STDMETHODIMP Control::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP Control::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP Control::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP Control::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP Control::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
  return ComGuard([&] {
    switch (verb) {
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_INPLACEACTIVATE:
      case OLEIVERB_UIACTIVATE:
        return ActivateInPlace(site ? site : client_site_.Get(), parent, position);
      case OLEIVERB_HIDE:
        if (window_) ::ShowWindow(window_, SW_HIDE);
        return S_OK;
      default:
        return OLEOBJ_S_INVALIDVERB;
    }
  });
}

STDMETHODIMP Control::EnumVerbs(IEnumOLEVERB** verbs) {
  if (verbs) *verbs = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP Control::Update() { return S_OK; }
STDMETHODIMP Control::IsUpToDate() { return S_OK; }

STDMETHODIMP Control::GetUserClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_Morvane;
  return S_OK;
}

STDMETHODIMP Control::GetUserType(DWORD, LPOLESTR* type) {
  if (type) *type = nullptr;
  return OLE_S_USEREG;
}

STDMETHODIMP Control::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  if (size->cx <= 0 || size->cy <= 0) return E_INVALIDARG;
  extent_ = *size;
  return S_OK;
}

STDMETHODIMP Control::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP Control::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!connection) return E_POINTER;
  *connection = 0;
  if (!sink) return E_INVALIDARG;
  if (!advise_holder_) {
    HRESULT hr = ::CreateOleAdviseHolder(advise_holder_.GetAddressOf());
    if (FAILED(hr)) return hr;
  }
  return advise_holder_->Advise(sink, connection);
}

STDMETHODIMP Control::Unadvise(DWORD connection) {
  if (!advise_holder_) return OLE_E_NOCONNECTION;
  return advise_holder_->Unadvise(connection);
}

STDMETHODIMP Control::EnumAdvise(IEnumSTATDATA** advise) {
  if (!advise) return E_POINTER;
  *advise = nullptr;
  if (!advise_holder_) return E_FAIL;
  return advise_holder_->EnumAdvise(advise);
}

STDMETHODIMP Control::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = 0;
  if (aspect != DVASPECT_CONTENT) return S_OK;
  *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
            OLEMISC_SETCLIENTSITEFIRST;
  return S_OK;
}

STDMETHODIMP Control::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

}  // namespace morvane
