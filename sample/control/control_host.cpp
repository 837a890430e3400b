#include "control/control_host.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "control/control_site.h"
#include "control/dispatch_call.h"
#include "control/event_sink.h"
#include "control/extender.h"
#include "control/members.h"
#include "convert/runtime_error.h"
#include "forms/screen_units.h"

namespace sample {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kSiteClass[] = L"SampleControlSite";
constexpr DWORD kSiteStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP;

// The user's answer to a control that is not there: which one and how to
// register it.
convert::RuntimeError NotRegistered(const wchar_t* prog_id, HRESULT hr) {
  std::wstring text = L"ｷｬﾌﾟﾁｬｺﾝﾄﾛｰﾙ ";
  text += prog_id;
  text += L" が登録されていません。Halvern.exe または regsvr32 で Morvane.ocx を登録してください。";
  return convert::RuntimeError(static_cast<long>(hr), text);
}

}  // namespace

ControlFactory RegisteredControlFactory(const wchar_t* prog_id) {
  std::wstring id = prog_id;
  return [id]() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(id.c_str(), &clsid);
    if (FAILED(hr)) throw NotRegistered(id.c_str(), hr);
    ComPtr<IUnknown> control;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control));
    if (hr == REGDB_E_CLASSNOTREG || hr == CO_E_CLASSSTRING) throw NotRegistered(id.c_str(), hr);
    if (FAILED(hr)) {
      throw convert::RuntimeError(static_cast<long>(hr),
                                  L"ｷｬﾌﾟﾁｬｺﾝﾄﾛｰﾙ " + id + L" を作成できません。", id);
    }
    return control;
  };
}

ControlHost::ControlHost(HWND parent, int site_id, const RECT& rect, ControlEvents* events,
                         const ControlFactory& factory) {
  CreateWindowFrom({kSiteClass, 0, nullptr, 0, L"", kSiteStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent, site_id, L"", kControlName});
  extender_ = new Extender(hwnd_);
  site_ = new ControlSite(hwnd_, extender_);
  try {
    control_ = factory();
    if (!control_) throw convert::RuntimeError(static_cast<long>(E_NOINTERFACE), L"", kControlName);
    HRESULT hr = control_.As(&dispatch_);
    if (FAILED(hr)) throw convert::RuntimeError(static_cast<long>(hr), L"", kControlName);
    Activate(rect);
    BindEvents(events);
  } catch (...) {
    Destroy();
    throw;
  }
  forms::AddMessageFilter(this);
  filter_added_ = true;
}

ControlHost::~ControlHost() { Destroy(); }

IDispatch* ControlHost::extender() const { return extender_; }

void ControlHost::Activate(const RECT& rect) {
  // A plain automation object (no OLE embedding) is hosted as it is: it
  // draws nothing, but its members and the site's size still work.
  if (FAILED(control_.As(&ole_object_))) return;
  DWORD status = 0;
  ole_object_->GetMiscStatus(DVASPECT_CONTENT, &status);
  IOleClientSite* client = static_cast<IOleClientSite*>(site_);
  if (status & OLEMISC_SETCLIENTSITEFIRST) ole_object_->SetClientSite(client);
  ComPtr<IPersistStreamInit> persist;
  if (SUCCEEDED(control_.As(&persist))) persist->InitNew();
  if (!(status & OLEMISC_SETCLIENTSITEFIRST)) ole_object_->SetClientSite(client);

  RECT area{0, 0, rect.right - rect.left, rect.bottom - rect.top};
  SIZEL extent{forms::PixelsToHimetricX(area.right), forms::PixelsToHimetricY(area.bottom)};
  ole_object_->SetExtent(DVASPECT_CONTENT, &extent);

  HRESULT hr = ole_object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, client, 0, hwnd_, &area);
  if (FAILED(hr)) throw convert::RuntimeError(static_cast<long>(hr), L"", kControlName);
  ComPtr<IOleInPlaceObject> in_place;
  if (SUCCEEDED(control_.As(&in_place))) {
    site_->SetInPlaceObject(in_place.Get());
    in_place->SetObjectRects(&area, &area);
  }
}

void ControlHost::BindEvents(ControlEvents* events) {
  EventBinding binding;
  // A control without type information raises no event we could place;
  // it is still usable through its members.
  if (FAILED(FindEventBinding(control_.Get(), &binding))) return;
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(control_.As(&container))) return;
  HRESULT hr = container->FindConnectionPoint(binding.source_iid, &connection_point_);
  if (FAILED(hr)) return;
  sink_ = new EventSink(binding, events);
  hr = connection_point_->Advise(static_cast<IDispatch*>(sink_), &advise_cookie_);
  if (FAILED(hr)) {
    advise_cookie_ = 0;
    connection_point_.Reset();
    throw convert::RuntimeError(static_cast<long>(hr), L"", kControlName);
  }
}

void ControlHost::Destroy() {
  if (filter_added_) {
    forms::RemoveMessageFilter(this);
    filter_added_ = false;
  }
  // Unadvise first, so nothing is raised into a half-detached host.
  if (sink_) sink_->Detach();
  if (connection_point_ && advise_cookie_ != 0) connection_point_->Unadvise(advise_cookie_);
  advise_cookie_ = 0;
  connection_point_.Reset();
  if (site_) {
    if (IOleInPlaceObject* in_place = site_->in_place_object()) in_place->InPlaceDeactivate();
  }
  if (ole_object_) {
    ole_object_->Close(OLECLOSE_NOSAVE);
    ole_object_->SetClientSite(nullptr);
    ole_object_.Reset();
  }
  dispatch_.Reset();
  control_.Reset();
  if (site_) {
    site_->Detach();
    site_->Release();
    site_ = nullptr;
  }
  if (extender_) {
    extender_->Detach();
    extender_->Release();
    extender_ = nullptr;
  }
  if (sink_) {
    sink_->Release();
    sink_ = nullptr;
  }
  // The host is coming apart: the window's last messages must not reach it.
  DestroyUnrouted();
}

bool ControlHost::PreTranslateMessage(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || site_ == nullptr) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  IOleInPlaceActiveObject* active = site_->active_object();
  return active != nullptr && active->TranslateAccelerator(&msg) == S_OK;
}

void ControlHost::OnSize() {
  if (site_ == nullptr) return;
  if (IOleInPlaceObject* in_place = site_->in_place_object()) {
    RECT area{};
    GetClientRect(hwnd_, &area);
    in_place->SetObjectRects(&area, &area);
  }
}

void ControlHost::OnSetFocus() {
  // Tabbing onto the site hands the keyboard to the control: activated for
  // its user interface, it takes the focus into its own window.
  if (!ole_object_) return;
  RECT area{};
  GetClientRect(hwnd_, &area);
  IOleClientSite* client = static_cast<IOleClientSite*>(site_);
  if (FAILED(ole_object_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, client, 0, hwnd_, &area))) return;
  HWND control_window = nullptr;
  if (IOleInPlaceObject* in_place = site_->in_place_object()) in_place->GetWindow(&control_window);
  HWND focus = GetFocus();
  if (control_window != nullptr && focus != control_window && !IsChild(control_window, focus))
    SetFocus(control_window);
}

LRESULT ControlHost::Route(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE: OnSize(); return 0;
    case WM_SETFOCUS: OnSetFocus(); return 0;
    default: return Default(message, wparam, lparam);
  }
}

}  // namespace sample
