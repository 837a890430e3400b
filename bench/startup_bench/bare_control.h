// Our control the way the plainest container hosts it, for the floors that
// show it: created by its programmatic id, given a client site and activated
// in place, and closed again when this goes.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <optional>

#include "forms/ole_session.h"

namespace bench {

class BareControl {
 public:
  BareControl() = default;
  ~BareControl();
  BareControl(const BareControl&) = delete;
  BareControl& operator=(const BareControl&) = delete;

  // False, after telling the user, when the control is not registered or
  // will not activate.
  bool Activate(HWND window, const RECT& rect);

 private:
  Microsoft::WRL::ComPtr<IOleObject> control_;
  Microsoft::WRL::ComPtr<IOleClientSite> site_;
};

// The start and end the floors that host the control share: OLE for the
// whole run, the bare window, the control activated in it, each step marked
// as the sample marks it. The control is closed before OLE ends.
class HostingFloor {
 public:
  // window() is null when OLE or the window failed.
  HostingFloor();
  HWND window() const { return window_; }
  bool ActivateControl(const RECT& rect);
  int ShowAndRun(int show_command);

 private:
  // Begun in the body, so that the entry mark comes before OLE's start.
  std::optional<forms::OleSession> ole_;
  HWND window_ = nullptr;
  BareControl control_;
};

}  // namespace bench
