// The site the hosted control talks to: client site, in-place site and frame,
// control site and the ambient properties, all one object with one count.
// The methods that do more than answer a constant run inside the program's
// COM guard, so nothing a call raises reaches the control.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>
#include <wrl/client.h>

#include "basics/com_object.h"

namespace sample {

class ControlSite final : public basics::ComObject<ControlSite, IOleClientSite, IOleInPlaceSiteEx, IOleInPlaceFrame,
                                                   IOleControlSite, IDispatch> {
 public:
  // Which base answers each interface id; the first row's is the identity.
  static constexpr basics::InterfaceRow<ControlSite> kInterfaces[] = {
      basics::Row<ControlSite, IOleClientSite>(IID_IUnknown),
      basics::Row<ControlSite, IOleClientSite>(IID_IOleClientSite),
      basics::Row<ControlSite, IOleInPlaceSiteEx>(IID_IOleWindow),
      basics::Row<ControlSite, IOleInPlaceSiteEx>(IID_IOleInPlaceSite),
      basics::Row<ControlSite, IOleInPlaceSiteEx>(IID_IOleInPlaceSiteEx),
      basics::Row<ControlSite, IOleInPlaceFrame>(IID_IOleInPlaceUIWindow),
      basics::Row<ControlSite, IOleInPlaceFrame>(IID_IOleInPlaceFrame),
      basics::Row<ControlSite, IOleControlSite>(IID_IOleControlSite),
      basics::Row<ControlSite, IDispatch>(IID_IDispatch),
  };

  // site_window: the child window the control lives in; extender: what
  // GetExtendedControl hands out.
  ControlSite(HWND site_window, IDispatch* extender);
  void Detach();

  IOleInPlaceActiveObject* active_object() const { return active_object_.Get(); }
  IOleInPlaceObject* in_place_object() const { return in_place_object_.Get(); }
  void SetInPlaceObject(IOleInPlaceObject* object) { in_place_object_ = object; }

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow (shared by the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override;

  // IOleInPlaceSite / IOleInPlaceSiteEx
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override;
  STDMETHODIMP OnUIDeactivate(BOOL) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT rect) override;
  STDMETHODIMP OnInPlaceActivateEx(BOOL* no_redraw, DWORD) override;
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override;
  STDMETHODIMP RequestUIActivate() override;

  // IOleInPlaceUIWindow / IOleInPlaceFrame
  STDMETHODIMP GetBorder(LPRECT) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override;
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override;
  STDMETHODIMP RemoveMenus(HMENU) override;
  STDMETHODIMP SetStatusText(LPCOLESTR) override;
  STDMETHODIMP EnableModeless(BOOL) override;
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override;

  // IOleControlSite
  STDMETHODIMP OnControlInfoChanged() override;
  STDMETHODIMP LockInPlaceActive(BOOL) override;
  STDMETHODIMP GetExtendedControl(IDispatch** extender) override;
  STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override;
  STDMETHODIMP TranslateAccelerator(LPMSG, DWORD) override;
  STDMETHODIMP OnFocus(BOOL) override;
  STDMETHODIMP ShowPropertyFrame() override;

  // IDispatch: the ambient properties.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO* error,
                      UINT*) override;

 private:
  friend class basics::ComObject<ControlSite, IOleClientSite, IOleInPlaceSiteEx, IOleInPlaceFrame, IOleControlSite,
                                 IDispatch>;
  ~ControlSite() = default;
  // Invoke's work: the value of one ambient property.
  HRESULT AmbientProperty(DISPID id, WORD flags, VARIANT* result);

  HWND site_;
  Microsoft::WRL::ComPtr<IDispatch> extender_;
  Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> active_object_;
  Microsoft::WRL::ComPtr<IOleInPlaceObject> in_place_object_;
};

}  // namespace sample
