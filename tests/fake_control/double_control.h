// The stand-in capture control: a windowed ActiveX control that answers every
// member from its scenario, records every call and raises the scenario's
// events. One object, many interfaces, one reference count.
#pragma once

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>

#include "basics/com_object.h"
#include "connection_point.h"  // the real control's own
#include "double_guids.h"
#include "double_script.h"

namespace morvane_double {

// Live objects, for DllCanUnloadNow.
LONG LiveObjects();

// The type library inside this module.
HRESULT LoadOwnTypeLibrary(ITypeLib** library);

class DoubleControl final
    : public basics::ComObject<DoubleControl, IDispatch, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
                               IOleControl, IPersistStreamInit, IProvideClassInfo2, IConnectionPointContainer> {
 public:
  // Reads the scenario named by MORVANE_DOUBLE_SCRIPT; a scenario that does
  // not parse fails the creation (and says why in the log).
  static HRESULT Create(REFIID riid, void** out);

  // Which base answers each interface id; the first row's is the identity.
  static constexpr basics::InterfaceRow<DoubleControl> kInterfaces[] = {
      basics::Row<DoubleControl, IDispatch>(IID_IUnknown),
      basics::Row<DoubleControl, IDispatch>(IID_IDispatch),
      basics::Row<DoubleControl, IDispatch>(kDispatchIid),
      basics::Row<DoubleControl, IOleObject>(IID_IOleObject),
      basics::Row<DoubleControl, IOleInPlaceObject>(IID_IOleWindow),
      basics::Row<DoubleControl, IOleInPlaceObject>(IID_IOleInPlaceObject),
      basics::Row<DoubleControl, IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject),
      basics::Row<DoubleControl, IOleControl>(IID_IOleControl),
      basics::Row<DoubleControl, IPersistStreamInit>(IID_IPersist),
      basics::Row<DoubleControl, IPersistStreamInit>(IID_IPersistStreamInit),
      basics::Row<DoubleControl, IProvideClassInfo2>(IID_IProvideClassInfo),
      basics::Row<DoubleControl, IProvideClassInfo2>(IID_IProvideClassInfo2),
      basics::Row<DoubleControl, IConnectionPointContainer>(IID_IConnectionPointContainer),
  };

  // IDispatch (double_dispatch.cpp)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override;

  // IOleObject (double_ole.cpp)
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD save_option) override;
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return OLEOBJ_E_NOVERBS; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP Unadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject (double_ole.cpp)
  STDMETHODIMP GetWindow(HWND* hwnd) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

  // IPersist, IPersistStreamInit: nothing is kept between runs.
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override { return S_OK; }

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

 private:
  friend class basics::ComObject<DoubleControl, IDispatch, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
                                 IOleControl, IPersistStreamInit, IProvideClassInfo2, IConnectionPointContainer>;
  explicit DoubleControl(Script script);
  ~DoubleControl();

  // double_dispatch.cpp: one member each.
  HRESULT GetProperty(const Member& member, VARIANT* result);
  HRESULT PutProperty(const Member& member, const VARIANT& value);
  HRESULT CallMethod(const Member& member, DISPPARAMS* params, VARIANT* result, std::string* log_args);
  // double_capture.cpp
  HRESULT RunCapture(const std::string& method);
  // Raises one event on every sink, over a copy of the list so that a sink
  // may unadvise from inside the event. args are in the event's own order.
  void Fire(DISPID dispid, VARIANT* args, UINT count);
  void DrawFrameInto(HDC dc, int width, int height);
  void CopyFrameToClipboard();

  // double_ole.cpp
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT rect);

  Script script_;
  morvane::EventConnectionPoint events_{static_cast<IDispatch*>(this), static_cast<IConnectionPointContainer*>(this),
                                        kEventsIid};
  Microsoft::WRL::ComPtr<IOleClientSite> client_site_;
  Microsoft::WRL::ComPtr<IOleInPlaceSite> in_place_site_;
  HWND window_ = nullptr;
  HWND status_window_ = nullptr;
  SIZEL extent_{8467, 6350};  // 320 x 240 pixels in hundredths of a millimetre
  long frame_number_ = 0;
};

}  // namespace morvane_double
