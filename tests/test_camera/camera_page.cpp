#include "camera_page.h"

#include <cstring>

#include "camera_filter.h"
#include "handles.h"

namespace testcamera {

const CLSID kCameraPageClsid = {0x0e67639c, 0xca69, 0x4332, {0x82, 0xad, 0x16, 0xaa, 0x26, 0x54, 0x92, 0x3f}};

namespace {

const wchar_t kPageTitle[] = L"Camera";
constexpr SIZE kPageSize = {240, 80};  // dialog units

class CameraPage final : public IPropertyPage {
 public:
  CameraPage() { ::InterlockedIncrement(&g_module_references); }
  CameraPage(const CameraPage&) = delete;
  CameraPage& operator=(const CameraPage&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyPage)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IPropertyPage*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP SetPageSite(IPropertyPageSite* site) override {
    site_ = site;
    return S_OK;
  }
  STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL) override {
    if (!rect) return E_POINTER;
    window_.reset(::CreateWindowExW(0, L"STATIC", kCameraPageText, WS_CHILD | SS_LEFT, rect->left, rect->top,
                                    rect->right - rect->left, rect->bottom - rect->top, parent, nullptr, nullptr,
                                    nullptr));
    return window_ ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
  }
  STDMETHODIMP Deactivate() override {
    window_.reset();
    return S_OK;
  }
  STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override {
    if (!info) return E_POINTER;
    *info = {};
    info->cb = sizeof(*info);
    info->pszTitle = static_cast<LPOLESTR>(::CoTaskMemAlloc(sizeof(kPageTitle)));
    if (!info->pszTitle) return E_OUTOFMEMORY;
    std::memcpy(info->pszTitle, kPageTitle, sizeof(kPageTitle));
    info->size = kPageSize;
    return S_OK;
  }
  // The page shows nothing of the objects, so it keeps none.
  STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override { return count && !objects ? E_POINTER : S_OK; }
  STDMETHODIMP Show(UINT command) override {
    if (window_) ::ShowWindow(window_.get(), static_cast<int>(command));
    return S_OK;
  }
  STDMETHODIMP Move(LPCRECT rect) override {
    if (!rect) return E_POINTER;
    if (window_) {
      ::MoveWindow(window_.get(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    }
    return S_OK;
  }
  STDMETHODIMP IsPageDirty() override { return S_FALSE; }
  STDMETHODIMP Apply() override { return S_OK; }
  STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

 private:
  ~CameraPage() { ::InterlockedDecrement(&g_module_references); }

  LONG references_ = 1;
  ComPtr<IPropertyPageSite> site_;
  morvane::UniqueHwnd window_;
};

}  // namespace

HRESULT CreateCameraPage(REFIID iid, void** object) { return CreateObject<CameraPage>(iid, object); }

}  // namespace testcamera
