// The least a container of the control needs, shared by the control's
// tests and the benches: an in-place site, an event sink that lives on its
// caller's stack, and a current user of the process's own. Header-only, so every test program and bench that
// includes it has it without another source to list.
#pragma once

#include <ocidl.h>
#include <windows.h>

namespace morvane_test {

// What in-place activation asks of a site. Any other call is either
// answered the way the plainest container would (a bench) or reported to
// the caller and refused (a strict test container).
class InPlaceSite final : public IOleClientSite, public IOleInPlaceSite {
 public:
  // Told of every call activation does not need; null answers it plainly.
  using UnexpectedCall = void (*)(const char* call);

  // Created with one reference, which the creator owns.
  InPlaceSite(HWND window, const RECT& rect, UnexpectedCall unexpected = nullptr)
      : window_(window), rect_(rect), unexpected_(unexpected) {}

  int activations() const { return activations_; }
  int deactivations() const { return deactivations_; }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // What in-place activation and deactivation ask of a site.
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP OnInPlaceDeactivate() override;

  // The rest.
  STDMETHODIMP SaveObject() override { return Other("IOleClientSite::SaveObject", E_NOTIMPL); }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override { return Other("IOleClientSite::ShowObject", S_OK); }
  STDMETHODIMP OnShowWindow(BOOL) override { return Other("IOleClientSite::OnShowWindow", S_OK); }
  STDMETHODIMP RequestNewObjectLayout() override {
    return Other("IOleClientSite::RequestNewObjectLayout", E_NOTIMPL);
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return Other("IOleWindow::ContextSensitiveHelp", E_NOTIMPL); }
  STDMETHODIMP OnUIActivate() override { return Other("IOleInPlaceSite::OnUIActivate", S_OK); }
  STDMETHODIMP Scroll(SIZE) override { return Other("IOleInPlaceSite::Scroll", E_NOTIMPL); }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return Other("IOleInPlaceSite::OnUIDeactivate", S_OK); }
  STDMETHODIMP DiscardUndoState() override { return Other("IOleInPlaceSite::DiscardUndoState", S_OK); }
  STDMETHODIMP DeactivateAndUndo() override { return Other("IOleInPlaceSite::DeactivateAndUndo", S_OK); }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return Other("IOleInPlaceSite::OnPosRectChange", S_OK); }

 private:
  ~InPlaceSite() = default;
  HRESULT Other(const char* call, HRESULT plain_answer);

  HWND window_;
  RECT rect_;
  UnexpectedCall unexpected_;
  LONG references_ = 1;
  int activations_ = 0;
  int deactivations_ = 0;
};

inline HRESULT STDMETHODCALLTYPE InPlaceSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

inline ULONG STDMETHODCALLTYPE InPlaceSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

inline ULONG STDMETHODCALLTYPE InPlaceSite::Release() {
  const LONG count = InterlockedDecrement(&references_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

inline HRESULT STDMETHODCALLTYPE InPlaceSite::GetWindow(HWND* window) {
  *window = window_;
  return S_OK;
}

inline HRESULT STDMETHODCALLTYPE InPlaceSite::OnInPlaceActivate() {
  ++activations_;
  return S_OK;
}

inline HRESULT STDMETHODCALLTYPE InPlaceSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  *frame = nullptr;
  *document = nullptr;
  *position = rect_;
  *clip = rect_;
  info->fMDIApp = FALSE;
  info->hwndFrame = window_;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

inline HRESULT STDMETHODCALLTYPE InPlaceSite::OnInPlaceDeactivate() {
  ++deactivations_;
  return S_OK;
}

inline HRESULT STDMETHODCALLTYPE InPlaceSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  *moniker = nullptr;
  return Other("IOleClientSite::GetMoniker", E_NOTIMPL);
}

inline HRESULT STDMETHODCALLTYPE InPlaceSite::GetContainer(IOleContainer** container) {
  *container = nullptr;
  return Other("IOleClientSite::GetContainer", E_NOINTERFACE);
}

inline HRESULT InPlaceSite::Other(const char* call, HRESULT plain_answer) {
  if (unexpected_ == nullptr) return plain_answer;
  unexpected_(call);
  return E_NOTIMPL;
}

// Points this process's HKEY_CURRENT_USER at a key of its own below the real
// one, emptied first, so that what the control keeps there (its settings)
// starts from its defaults and the user's own are never touched; null puts
// the real one back. The control itself knows nothing of this.
inline bool RedirectCurrentUser(const wchar_t* private_root) {
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (private_root == nullptr) return true;
  ::RegDeleteTreeW(HKEY_CURRENT_USER, private_root);
  HKEY root = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, private_root, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const bool redirected = ::RegOverridePredefKey(HKEY_CURRENT_USER, root) == ERROR_SUCCESS;
  ::RegCloseKey(root);
  return redirected;
}

// An event sink on its caller's stack, which outlives every connection:
// IUnknown and IDispatch, no reference count, no type information. The
// derived sink answers Invoke.
class StackSink : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
    return *out != nullptr ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

}  // namespace morvane_test
