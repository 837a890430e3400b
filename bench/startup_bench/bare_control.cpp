#include "bare_control.h"

#include "bare_common.h"
#include "bare_container.h"
#include "basics/com_object.h"
#include "forms/startup_timeline.h"

namespace bench {

bool BareControl::Activate(HWND window, const RECT& rect) {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"MORVANELib.Morvane", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control_)))) {
    MessageBoxW(window, L"The capture control is not registered.", L"startup bench", MB_ICONERROR);
    return false;
  }
  site_ = basics::Adopt(new morvane_test::InPlaceSite(window, rect));
  return SUCCEEDED(control_->SetClientSite(site_.Get())) &&
         SUCCEEDED(control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, window, &rect));
}

BareControl::~BareControl() {
  if (!control_) return;
  control_->Close(OLECLOSE_NOSAVE);
  control_->SetClientSite(nullptr);
}

HostingFloor::HostingFloor() {
  forms::MarkStartup("entry");
  if (FAILED(ole_.emplace().result())) return;
  forms::MarkStartup("OLE initialized");
  window_ = CreateBareWindow();
  if (window_ != nullptr) forms::MarkStartup("frame window created");
}

bool HostingFloor::ActivateControl(const RECT& rect) {
  if (!control_.Activate(window_, rect)) return false;
  forms::MarkStartup("control created and activated");
  return true;
}

int HostingFloor::ShowAndRun(int show_command) { return bench::ShowAndRun(window_, show_command); }

}  // namespace bench
