// Helpers for the control's tests: a plain container (window, client site,
// in-place site), an event sink that records what it hears, and dispatch
// calls that hand back the HRESULT and the exception information.
#pragma once

#include <ocidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

#include "bare_container.h"
#include "dispatch_ids.h"

namespace morvane_test {

using Microsoft::WRL::ComPtr;

// Members and events by the names the control's own table uses.
namespace dispid = morvane::dispid;
using morvane::kEventCaptureComplete;
using morvane::kEventCaptureStarted;
using morvane::kEventCaptureStopped;
using morvane::kEventClick;
using morvane::kEventDblClick;
using morvane::kEventDeviceChanged;
using morvane::kEventError;
using morvane::kEventFrameDropped;
using morvane::kEventPreviewChanged;
using morvane::kEventStatusChanged;
using morvane::kEventStreamFrame;

// A VARIANT that clears itself.
struct Var {
  VARIANT v;
  Var() { ::VariantInit(&v); }
  ~Var() { ::VariantClear(&v); }
  Var(const Var& other) {
    ::VariantInit(&v);
    ::VariantCopy(&v, const_cast<VARIANT*>(&other.v));
  }
  Var& operator=(const Var& other) {
    if (this != &other) ::VariantCopy(&v, const_cast<VARIANT*>(&other.v));
    return *this;
  }
  // A number as the given type, converted as oleaut32 converts it (a
  // non-zero number is VARIANT_TRUE).
  static Var Number(VARTYPE type, double value);
  static Var I2(SHORT value);
  static Var I4(LONG value);
  static Var R4(float value);
  static Var R8(double value);
  static Var Bool(bool value);
  static Var Text(const wchar_t* value);
};

struct CallResult {
  HRESULT hr = E_FAIL;
  Var value;
  std::wstring source;
  std::wstring description;
  HRESULT scode = S_OK;
  UINT arg_error = 0xFFFF;  // as Invoke left it
};

// Invoke exactly as given (params may be malformed on purpose).
CallResult InvokeRaw(IDispatch* dispatch, DISPID id, WORD flags, DISPPARAMS* params, REFIID iid = IID_NULL);
CallResult PutProperty(IDispatch* dispatch, DISPID id, const VARIANT& value);
CallResult GetProperty(IDispatch* dispatch, DISPID id);
// Arguments in the caller's order; Invoke receives them reversed.
CallResult CallMethod(IDispatch* dispatch, DISPID id, std::vector<VARIANT> arguments = {});

// Windows path of a path from the environment (a Linux path gets Z:).
std::wstring EnvPath(const wchar_t* name);

struct Event {
  DISPID id;
  std::vector<Var> arguments;  // in declaration order
};

class EventSink final : public IDispatch {
 public:
  EventSink() = default;
  // Runs for each event before it is recorded; may write the by-reference
  // stop flag or call back into the control.
  std::function<void(DISPID, DISPPARAMS*)> on_event;
  std::vector<Event> events;
  // Off: events only reach on_event (nothing allocated after it returns).
  bool record = true;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

  std::vector<DISPID> Ids() const;

 private:
  LONG references_ = 1;
};

// A top-level window with the control activated in place in it, at
// (0,0)-(320,240) of its client area. Hidden unless a test looks at the
// screen: Wine waits about two seconds for a shown top-level window to go.
class TestHost {
 public:
  // Creates a control the way the host's code would (nullptr: through COM
  // from the registered Morvane.ocx; tests that link the control's library
  // pass its own creation function).
  using CreateControl = HRESULT (*)(REFIID iid, void** object);
  explicit TestHost(bool shown = false, CreateControl create = nullptr);
  // Hosts an object made elsewhere (a control with devices of the test's own).
  explicit TestHost(ComPtr<IUnknown> object, bool shown = false);
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  bool ok() const { return dispatch_ != nullptr; }
  HRESULT create_result() const { return create_result_; }
  IDispatch* control() const { return dispatch_.Get(); }
  HWND window() const { return window_; }
  HWND control_window() const;
  // Connects the sink to the control's event interface (any number of
  // sinks; all are disconnected when the host goes).
  HRESULT Advise(EventSink* sink);
  // Pumps this thread's messages for a while.
  static void Pump(DWORD milliseconds);

 private:
  void CreateHostWindow(bool shown);
  void Activate();
  HWND window_ = nullptr;
  InPlaceSite* site_ = nullptr;
  ComPtr<IUnknown> unknown_;
  ComPtr<IDispatch> dispatch_;
  ComPtr<IOleObject> ole_object_;
  ComPtr<IConnectionPoint> point_;
  std::vector<DWORD> cookies_;
  HRESULT create_result_ = E_FAIL;
};

// The first window that `matches`: a top-level one when `parent` is null,
// else one of the parent's descendants.
HWND FindWindowWhere(HWND parent, const std::function<bool(HWND)>& matches);
// A visible dialog whose title holds the text, nullptr if none.
HWND FindVisibleDialog(const wchar_t* title_part);
// Finds a dialog by its title (or a part of it) on another thread, lets it
// act, then presses a button, as a user would.
void DriveDialog(const wchar_t* title, int button, std::function<void(HWND)> act);
// Picks a choice in a field of a choice dialog (the field's combo box is
// 100 + field) and tells the dialog, as a user's pick does.
void Select(HWND dialog, int field, int choice);
// Presses a button of dialog that opens another dialog titled nested_title,
// answers that with the button `answer` and waits until it has gone; false
// when it never came.
bool PressAndAnswer(HWND dialog, int button, const wchar_t* nested_title, int answer);
// A DIB section of the given size and depth selected into a memory DC, the
// way a host hands CopyFrameToDC somewhere to draw; all let go at the end.
class DibCanvas {
 public:
  DibCanvas(int width, int height, WORD bit_count);
  ~DibCanvas();
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;
  HBITMAP bitmap() const { return bitmap_; }
  void* bits() const { return bits_; }
  HDC dc() const { return memory_; }
  // The DC as CopyFrameToDC's Long argument.
  LONG dc_argument() const { return static_cast<LONG>(reinterpret_cast<INT_PTR>(memory_)); }

 private:
  HDC screen_;
  HDC memory_;
  void* bits_ = nullptr;
  HBITMAP bitmap_;
  HGDIOBJ previous_;
};

// The choices a field of a choice dialog offers, in order.
std::vector<std::wstring> Choices(HWND dialog, int field);

}  // namespace morvane_test
