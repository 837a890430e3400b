// Our control the way the plainest container hosts it, for the floors that
// show it: created by its programmatic id, given a client site and activated
// in place, and closed again when this goes.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

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

}  // namespace bench
