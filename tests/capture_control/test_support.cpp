#include "test_support.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <algorithm>
#include <cwchar>
#include <thread>
#include <utility>

namespace morvane_test {

Var Var::Number(VARTYPE type, double value) {
  Var var;
  var.v.vt = VT_R8;
  var.v.dblVal = value;
  // Every value these are made from fits its type exactly.
  if (type != VT_R8) ::VariantChangeType(&var.v, &var.v, 0, type);
  return var;
}
Var Var::I2(SHORT value) { return Number(VT_I2, value); }
Var Var::I4(LONG value) { return Number(VT_I4, value); }
Var Var::R4(float value) { return Number(VT_R4, value); }
Var Var::R8(double value) { return Number(VT_R8, value); }
Var Var::Bool(bool value) { return Number(VT_BOOL, value ? 1 : 0); }
Var Var::Text(const wchar_t* value) {
  Var var;
  var.v.vt = VT_BSTR;
  var.v.bstrVal = ::SysAllocString(value);
  return var;
}

CallResult InvokeRaw(IDispatch* dispatch, DISPID id, WORD flags, DISPPARAMS* params, REFIID iid) {
  CallResult result;
  EXCEPINFO exception{};
  result.hr = dispatch->Invoke(id, iid, LOCALE_USER_DEFAULT, flags, params, &result.value.v, &exception,
                               &result.arg_error);
  if (exception.bstrSource) result.source = exception.bstrSource;
  if (exception.bstrDescription) result.description = exception.bstrDescription;
  result.scode = exception.scode;
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrHelpFile);
  return result;
}

CallResult PutProperty(IDispatch* dispatch, DISPID id, const VARIANT& value) {
  VARIANT argument = value;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&argument, &named, 1, 1};
  return InvokeRaw(dispatch, id, DISPATCH_PROPERTYPUT, &params);
}

CallResult GetProperty(IDispatch* dispatch, DISPID id) {
  DISPPARAMS params{nullptr, nullptr, 0, 0};
  return InvokeRaw(dispatch, id, DISPATCH_PROPERTYGET, &params);
}

CallResult CallMethod(IDispatch* dispatch, DISPID id, std::vector<VARIANT> arguments) {
  std::reverse(arguments.begin(), arguments.end());
  DISPPARAMS params{arguments.empty() ? nullptr : arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
  return InvokeRaw(dispatch, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params);
}

std::wstring EnvPath(const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD length = ::GetEnvironmentVariableW(name, buffer, 1024);
  if (length == 0 || length >= 1024) return std::wstring();
  std::wstring path(buffer, length);
  if (!path.empty() && path[0] == L'/') {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    path = L"Z:" + path;
  }
  return path;
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}
STDMETHODIMP_(ULONG) EventSink::AddRef() { return static_cast<ULONG>(++references_); }
STDMETHODIMP_(ULONG) EventSink::Release() { return static_cast<ULONG>(--references_); }  // lives on the stack
STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}
STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return E_NOTIMPL;
}
STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  if (on_event) on_event(id, params);
  if (!record) return S_OK;
  Event event{id, {}};
  for (UINT i = params->cArgs; i > 0; --i) {
    Var copy;
    ::VariantCopyInd(&copy.v, &params->rgvarg[i - 1]);
    event.arguments.push_back(copy);
  }
  events.push_back(event);
  return S_OK;
}

std::vector<DISPID> EventSink::Ids() const {
  std::vector<DISPID> ids;
  for (const Event& event : events) ids.push_back(event.id);
  return ids;
}

namespace {

// The container is strict: a call the control has no reason to make fails
// the test that made it.
void Unexpected(const char* call) { ADD_FAILURE() << "the container did not expect " << call; }

}  // namespace

void TestHost::CreateHostWindow(bool shown) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = ::DefWindowProcW;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"MorvaneTestHost";
  window_class.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  ::RegisterClassW(&window_class);
  window_ = ::CreateWindowExW(0, L"MorvaneTestHost", L"Morvane test host", WS_POPUP | (shown ? WS_VISIBLE : 0), 0, 0, 340, 260,
                              nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

void TestHost::Activate() {
  create_result_ = unknown_.As(&ole_object_);
  if (FAILED(create_result_)) return;
  site_ = new InPlaceSite(window_, RECT{0, 0, 320, 240}, &Unexpected);
  ole_object_->SetClientSite(site_);
  RECT position{0, 0, 320, 240};
  create_result_ = ole_object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, window_, &position);
  if (FAILED(create_result_)) return;
  create_result_ = unknown_.As(&dispatch_);
}

TestHost::TestHost(bool shown, CreateControl create) {
  CreateHostWindow(shown);
  if (create) {
    create_result_ = create(IID_IUnknown, reinterpret_cast<void**>(unknown_.GetAddressOf()));
  } else {
    CLSID clsid{};
    create_result_ = ::CLSIDFromProgID(L"MORVANELib.Morvane", &clsid);
    if (FAILED(create_result_)) return;
    create_result_ = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&unknown_));
  }
  if (FAILED(create_result_)) return;
  Activate();
}

TestHost::TestHost(ComPtr<IUnknown> object, bool shown) : unknown_(std::move(object)) {
  CreateHostWindow(shown);
  if (unknown_) Activate();
}

TestHost::~TestHost() {
  for (DWORD cookie : cookies_) point_->Unadvise(cookie);
  point_.Reset();
  if (ole_object_) {
    ole_object_->Close(OLECLOSE_NOSAVE);
    ole_object_->SetClientSite(nullptr);
  }
  dispatch_.Reset();
  ole_object_.Reset();
  unknown_.Reset();
  if (site_) site_->Release();
  if (window_) ::DestroyWindow(window_);
}

HWND TestHost::control_window() const {
  ComPtr<IOleInPlaceObject> in_place;
  HWND window = nullptr;
  if (unknown_ && SUCCEEDED(unknown_.As(&in_place))) in_place->GetWindow(&window);
  return window;
}

HRESULT TestHost::Advise(EventSink* sink) {
  if (point_) {
    DWORD cookie = 0;
    HRESULT hr = point_->Advise(sink, &cookie);
    if (SUCCEEDED(hr)) cookies_.push_back(cookie);
    return hr;
  }
  ComPtr<IProvideClassInfo2> class_info;
  HRESULT hr = unknown_.As(&class_info);
  if (FAILED(hr)) return hr;
  GUID events{};
  hr = class_info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
  if (FAILED(hr)) return hr;
  ComPtr<IConnectionPointContainer> container;
  hr = unknown_.As(&container);
  if (FAILED(hr)) return hr;
  hr = container->FindConnectionPoint(events, point_.ReleaseAndGetAddressOf());
  if (FAILED(hr)) return hr;
  return Advise(sink);
}

void TestHost::Pump(DWORD milliseconds) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < milliseconds) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

namespace {

struct WindowSearch {
  const std::function<bool(HWND)>* matches;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  if (!(*search->matches)(window)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindWindowWhere(HWND parent, const std::function<bool(HWND)>& matches) {
  WindowSearch search{&matches, nullptr};
  if (parent) {
    ::EnumChildWindows(parent, &MatchWindow, reinterpret_cast<LPARAM>(&search));
  } else {
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

HWND FindVisibleDialog(const wchar_t* title_part) {
  return FindWindowWhere(nullptr, [title_part](HWND window) {
    wchar_t text[256] = {};
    wchar_t cls[16] = {};
    ::GetWindowTextW(window, text, 256);
    ::GetClassNameW(window, cls, 16);
    return ::IsWindowVisible(window) && std::wcscmp(cls, L"#32770") == 0 && std::wcsstr(text, title_part);
  });
}

void DriveDialog(const wchar_t* title, int button, std::function<void(HWND)> act) {
  std::thread([=] {
    HWND dialog = nullptr;
    // Visible means WM_INITDIALOG has filled the lists.
    for (int i = 0; i < 200 && !dialog; ++i) {
      dialog = FindVisibleDialog(title);
      if (!dialog) ::Sleep(25);
    }
    if (!dialog) return;
    if (act) act(dialog);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  }).detach();
}

void Select(HWND dialog, int field, int choice) {
  HWND list = ::GetDlgItem(dialog, 100 + field);
  ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
  ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(100 + field, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

bool PressAndAnswer(HWND dialog, int button, const wchar_t* nested_title, int answer) {
  // Posted: the nested dialog runs its own loop inside the dialog's thread.
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  HWND nested = nullptr;
  for (int i = 0; i < 200 && !nested; ++i) {
    nested = FindVisibleDialog(nested_title);
    if (!nested) ::Sleep(25);
  }
  if (!nested) {
    // Whatever came instead (an error box) is closed, so that the test
    // fails rather than waits on it.
    HWND other = FindWindowWhere(nullptr, [dialog](HWND window) {
      return ::IsWindowVisible(window) && ::GetWindow(window, GW_OWNER) == dialog;
    });
    if (other) ::PostMessageW(other, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return false;
  }
  ::PostMessageW(nested, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
  for (int i = 0; i < 200 && ::IsWindow(nested); ++i) ::Sleep(25);
  return true;
}

DibCanvas::DibCanvas(int width, int height, WORD bit_count)
    : screen_(::GetDC(nullptr)), memory_(::CreateCompatibleDC(screen_)) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bit_count;
  bitmap_ = ::CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
  previous_ = ::SelectObject(memory_, bitmap_);
}

DibCanvas::~DibCanvas() {
  ::SelectObject(memory_, previous_);
  ::DeleteObject(bitmap_);
  ::DeleteDC(memory_);
  ::ReleaseDC(nullptr, screen_);
}

std::vector<std::wstring> Choices(HWND dialog, int field) {
  HWND list = ::GetDlgItem(dialog, 100 + field);
  const int count = static_cast<int>(::SendMessageW(list, CB_GETCOUNT, 0, 0));
  std::vector<std::wstring> choices;
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    choices.push_back(text);
  }
  return choices;
}

}  // namespace morvane_test
