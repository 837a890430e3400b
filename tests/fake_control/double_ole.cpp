// The stand-in as an embedded object: sited, activated in place in a window
// of its own inside the container's site window, closed with the container.
#include "double_control.h"
#include "double_guids.h"
#include "double_log.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace morvane_double {
namespace {

constexpr wchar_t kWindowClass[] = L"MorvaneDoubleWindow";

constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

bool RegisterWindowClass(WNDPROC proc) {
  HINSTANCE module = reinterpret_cast<HINSTANCE>(&__ImageBase);
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(module, kWindowClass, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

STDMETHODIMP DoubleControl::SetClientSite(IOleClientSite* site) {
  client_site_ = site;
  return S_OK;
}

STDMETHODIMP DoubleControl::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = client_site_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP DoubleControl::Close(DWORD) {
  CallLog::Instance().Write("close");
  InPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP DoubleControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace(site ? site : client_site_.Get(), parent, rect);
    case OLEIVERB_HIDE:
      if (window_) ShowWindow(window_, SW_HIDE);
      return S_OK;
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT DoubleControl::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT rect) {
  if (window_) {
    ShowWindow(window_, SW_SHOW);
    return S_OK;
  }
  if (!site) return E_INVALIDARG;
  HRESULT hr = site->QueryInterface(IID_PPV_ARGS(&in_place_site_));
  if (FAILED(hr)) return hr;
  if (in_place_site_->CanInPlaceActivate() != S_OK) return E_FAIL;
  in_place_site_->OnInPlaceActivate();
  HWND site_window = parent;
  if (!site_window) in_place_site_->GetWindow(&site_window);
  RECT position{0, 0, 320, 240};
  if (rect) position = *rect;
  if (!RegisterWindowClass(&DoubleControl::WindowProc)) return HRESULT_FROM_WIN32(GetLastError());
  window_ = CreateWindowExW(0, kWindowClass, L"MorvaneDouble", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                            position.left, position.top, position.right - position.left,
                            position.bottom - position.top, site_window, nullptr,
                            reinterpret_cast<HINSTANCE>(&__ImageBase), this);
  if (!window_) {
    hr = HRESULT_FROM_WIN32(GetLastError());
    in_place_site_->OnInPlaceDeactivate();
    in_place_site_.Reset();
    return hr;
  }
  CallLog::Instance().Write("activate");
  return S_OK;
}

STDMETHODIMP DoubleControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP DoubleControl::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  extent_ = *size;
  return S_OK;
}

STDMETHODIMP DoubleControl::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP DoubleControl::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = kMiscStatus;
  return S_OK;
}

STDMETHODIMP DoubleControl::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = window_;
  return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP DoubleControl::InPlaceDeactivate() {
  if (window_) {
    HWND window = window_;
    window_ = nullptr;
    DestroyWindow(window);
  }
  if (in_place_site_) {
    in_place_site_->OnInPlaceDeactivate();
    in_place_site_.Reset();
  }
  return S_OK;
}

STDMETHODIMP DoubleControl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  if (window_) {
    MoveWindow(window_, position->left, position->top, position->right - position->left,
               position->bottom - position->top, TRUE);
  }
  return S_OK;
}

LRESULT CALLBACK DoubleControl::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      // A plain face with the control's name, so a screenshot shows where it sits.
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      RECT client;
      GetClientRect(hwnd, &client);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      DrawTextW(dc, L"MorvaneDouble", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      EndPaint(hwnd, &paint);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace morvane_double
