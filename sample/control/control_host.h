// Hosts one ActiveX control in a child window of a form: creates it through a
// replaceable factory, activates it in place, binds its events, hands it the
// keyboard, and detaches it in order when the form goes.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>

#include "control/control_events.h"
#include "forms/message_pump.h"
#include "forms/window.h"

namespace sample {

class ControlSite;
class EventSink;
class Extender;

// Makes the control object; throws convert::RuntimeError when it cannot.
using ControlFactory = std::function<Microsoft::WRL::ComPtr<IUnknown>()>;

// The control's registered programmatic id, created in process.
ControlFactory RegisteredControlFactory(const wchar_t* prog_id);

class ControlHost final : public forms::Window<ControlHost>, public forms::MessageFilter {
 public:
  // Creates the site window (child id site_id, rect in parent pixels) and the
  // control in it. Throws convert::RuntimeError on failure.
  ControlHost(HWND parent, int site_id, const RECT& rect, ControlEvents* events, const ControlFactory& factory);
  ~ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  IDispatch* dispatch() const { return dispatch_.Get(); }
  IDispatch* extender() const;
  HWND window() const { return hwnd_; }
  bool events_bound() const { return advise_cookie_ != 0; }

  // Unadvises, deactivates, closes and releases the control; idempotent.
  void Destroy();

  bool PreTranslateMessage(MSG& msg) override;

 private:
  friend class forms::Window<ControlHost>;

  LRESULT Route(UINT message, WPARAM wparam, LPARAM lparam);
  void OnSize();
  void OnSetFocus();
  void Activate(const RECT& rect);
  void BindEvents(ControlEvents* events);

  Microsoft::WRL::ComPtr<IUnknown> control_;
  Microsoft::WRL::ComPtr<IDispatch> dispatch_;
  Microsoft::WRL::ComPtr<IOleObject> ole_object_;
  Microsoft::WRL::ComPtr<IConnectionPoint> connection_point_;
  DWORD advise_cookie_ = 0;
  ControlSite* site_ = nullptr;
  Extender* extender_ = nullptr;
  EventSink* sink_ = nullptr;
  bool filter_added_ = false;
};

}  // namespace sample
