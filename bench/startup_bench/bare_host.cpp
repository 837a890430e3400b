// The floor for a program that hosts our control: the bare window, OLE, the
// control created by its programmatic id, given a client site and activated
// in place in a 320x240 rectangle, then shown. Nothing else: no widgets, no
// fonts, no calls through the control's dispatch interface.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

#include "bare_common.h"
#include "forms/ole_session.h"
#include "forms/startup_timeline.h"

namespace {

using Microsoft::WRL::ComPtr;

// The least a container answers for in-place activation; it lives on the
// stack of wWinMain, so its reference count is not what frees it.
class BareSite final : public IOleClientSite, public IOleInPlaceSite {
 public:
  BareSite(HWND window, const RECT& rect) : window_(window), rect_(rect) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow) {
      *object = static_cast<IOleInPlaceSite*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow and IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = nullptr;
    *document = nullptr;
    *position = rect_;
    *clip = rect_;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return S_OK; }
  STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

 private:
  HWND window_;
  RECT rect_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  forms::MarkStartup("entry");
  forms::OleSession ole;
  if (FAILED(ole.result())) return 1;
  forms::MarkStartup("OLE initialized");
  HWND window = bench::CreateBareWindow();
  if (window == nullptr) return 1;
  forms::MarkStartup("frame window created");
  CLSID clsid;
  ComPtr<IOleObject> control;
  if (FAILED(CLSIDFromProgID(L"MORVANELib.Morvane", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)))) {
    MessageBoxW(window, L"The capture control is not registered.", L"bare_host", MB_ICONERROR);
    return 1;
  }
  const RECT rect{8, 8, 8 + 320, 8 + 240};
  BareSite site(window, rect);
  int status = 1;
  if (SUCCEEDED(control->SetClientSite(&site)) &&
      SUCCEEDED(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, window, &rect))) {
    forms::MarkStartup("control created and activated");
    status = bench::ShowAndRun(window, show_command);
  }
  control->Close(OLECLOSE_NOSAVE);
  control->SetClientSite(nullptr);
  return status;
}
