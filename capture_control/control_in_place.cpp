// In-place activation: the control's window under the site's window, and
// the interfaces through which the container moves and deactivates it.
#include "control.h"
#include "control_window.h"

namespace morvane {

HRESULT Control::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
  if (in_place_active_ && window_) {
    if (position) SetObjectRects(position, position);
    ::ShowWindow(window_, SW_SHOW);
    return S_OK;
  }
  if (!site) return E_INVALIDARG;
  ComPtr<IOleInPlaceSite> in_place;
  HRESULT hr = site->QueryInterface(IID_PPV_ARGS(&in_place));
  if (FAILED(hr)) return hr;
  if (in_place->CanInPlaceActivate() != S_OK) return E_FAIL;
  hr = in_place->OnInPlaceActivate();
  if (FAILED(hr)) return hr;

  HWND site_window = nullptr;
  hr = in_place->GetWindow(&site_window);
  if (FAILED(hr) || !site_window) site_window = parent;
  RECT where{0, 0, 320, 240};
  RECT clip{};
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> document;
  OLEINPLACEFRAMEINFO frame_info{};
  frame_info.cb = sizeof(frame_info);
  if (SUCCEEDED(in_place->GetWindowContext(frame.GetAddressOf(), document.GetAddressOf(), &where, &clip,
                                           &frame_info))) {
    // The frame and document windows are not ours to keep: we have no menus
    // or tool bars to negotiate.
  } else if (position) {
    where = *position;
  }
  if (!site_window) {
    in_place->OnInPlaceDeactivate();
    return E_UNEXPECTED;
  }
  hr = CreateControlWindow(site_window, where);
  if (FAILED(hr)) {
    in_place->OnInPlaceDeactivate();
    return hr;
  }
  in_place_site_ = in_place;
  in_place_active_ = true;
  UpdatePreviewTimer();
  return S_OK;
}

HRESULT Control::CreateControlWindow(HWND parent, const RECT& position) {
  window_ = CreateControlWindowFor(this, parent, position);
  if (!window_) return HresultFromWin32(::GetLastError());
  return S_OK;
}

void Control::DestroyControlWindow() {
  if (window_) {
    HWND window = window_;
    window_ = nullptr;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (::IsWindow(window)) ::DestroyWindow(window);
  }
}

STDMETHODIMP Control::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP Control::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP Control::InPlaceDeactivate() {
  if (!in_place_active_) return S_OK;
  in_place_active_ = false;
  DestroyControlWindow();
  UpdatePreviewTimer();  // nothing shows the camera now: it stops
  if (in_place_site_) {
    ComPtr<IOleInPlaceSite> site = std::move(in_place_site_);
    site->OnInPlaceDeactivate();
  }
  return S_OK;
}

STDMETHODIMP Control::UIDeactivate() { return S_OK; }

STDMETHODIMP Control::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  if (window_) {
    ::MoveWindow(window_, position->left, position->top, position->right - position->left,
                 position->bottom - position->top, TRUE);
  }
  return S_OK;
}

STDMETHODIMP Control::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP Control::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP Control::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP Control::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP Control::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP Control::EnableModeless(BOOL) { return S_OK; }

STDMETHODIMP Control::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP Control::OnMnemonic(MSG*) { return S_OK; }
STDMETHODIMP Control::OnAmbientPropertyChange(DISPID) { return S_OK; }

STDMETHODIMP Control::FreezeEvents(BOOL freeze) {
  // Counted so a container's nesting stays balanced; our events are raised
  // only in answer to the container's own calls, so none are held back.
  freeze_count_ += freeze ? 1 : -1;
  if (freeze_count_ < 0) freeze_count_ = 0;
  return S_OK;
}

}  // namespace morvane
