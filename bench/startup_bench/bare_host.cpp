// The floor for a program that hosts our control: the bare window, OLE, the
// control created by its programmatic id, given a client site and activated
// in place in a 320x240 rectangle, then shown. Nothing else: no widgets, no
// fonts, no calls through the control's dispatch interface.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

#include "basics/com_object.h"
#include "bare_common.h"
#include "bare_container.h"
#include "forms/ole_session.h"
#include "forms/startup_timeline.h"

using Microsoft::WRL::ComPtr;

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
  const ComPtr<morvane_test::InPlaceSite> site = basics::Adopt(new morvane_test::InPlaceSite(window, rect));
  int status = 1;
  if (SUCCEEDED(control->SetClientSite(site.Get())) &&
      SUCCEEDED(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, window, &rect))) {
    forms::MarkStartup("control created and activated");
    status = bench::ShowAndRun(window, show_command);
  }
  control->Close(OLECLOSE_NOSAVE);
  control->SetClientSite(nullptr);
  return status;
}
