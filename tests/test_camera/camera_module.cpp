// The test camera's DLL entry points: the class factories of the camera and
// its property page, and registration as a video-input device (the COM
// server rows, then the filter mapper's).
#include <dshow.h>
#include <wrl/client.h>

#include <string>

#include "camera_filter.h"
#include "camera_page.h"
#include "handles.h"

namespace testcamera {
namespace {

HMODULE g_module = nullptr;

// One static factory per class: its count is the module's.
class Factory final : public IClassFactory {
 public:
  using Create = HRESULT (*)(REFIID iid, void** object);
  explicit constexpr Factory(Create create) : create_(create) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(iid, object);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      ::InterlockedIncrement(&g_module_references);
    } else {
      ::InterlockedDecrement(&g_module_references);
    }
    return S_OK;
  }

 private:
  const Create create_;
};

Factory g_camera_factory(&CameraFilter::Create);
Factory g_page_factory(&CreateCameraPage);

// The module's classes: the camera, and the property page it names.
struct ClassRow {
  const CLSID* clsid;
  Factory* factory;
};
const ClassRow kClasses[] = {
    {&kTestCameraClsid, &g_camera_factory},
    {&kCameraPageClsid, &g_page_factory},
};

std::wstring ClsidKey(const CLSID& clsid) {
  wchar_t text[64];
  ::StringFromGUID2(clsid, text, 64);
  return std::wstring(L"CLSID\\") + text;
}

HRESULT SetValue(HKEY key, const wchar_t* name, const std::wstring& value) {
  const LONG status = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  return HRESULT_FROM_WIN32(status);
}

HRESULT RegisterServer(const CLSID& clsid) {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(g_module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return E_FAIL;
  HKEY raw = nullptr;
  LONG status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, (ClsidKey(clsid) + L"\\InprocServer32").c_str(), 0, nullptr, 0,
                                  KEY_WRITE, nullptr, &raw, nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  morvane::UniqueHkey server(raw);
  HRESULT hr = SetValue(server.get(), nullptr, path);
  if (SUCCEEDED(hr)) hr = SetValue(server.get(), L"ThreadingModel", L"Both");
  return hr;
}

HRESULT RegisterDevice() {
  Microsoft::WRL::ComPtr<IFilterMapper2> mapper;
  HRESULT hr = ::CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mapper));
  if (FAILED(hr)) return hr;
  REGFILTER2 filter{};
  filter.dwVersion = 1;
  // Never picked by intelligent connect on its own; a user picks a camera.
  filter.dwMerit = MERIT_DO_NOT_USE;
  return mapper->RegisterFilter(kTestCameraClsid, kTestCameraName, nullptr, &CLSID_VideoInputDeviceCategory,
                                kTestCameraName, &filter);
}

}  // namespace
}  // namespace testcamera

using namespace testcamera;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (const ClassRow& row : kClasses) {
    if (IsEqualCLSID(clsid, *row.clsid)) return row.factory->QueryInterface(iid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

// For the tests in the process that uses the camera: how many of its pins
// stream now (0 once every graph with it stopped).
extern "C" LONG WINAPI TestCameraStreams() { return g_streaming_pins; }

STDAPI DllCanUnloadNow() { return g_module_references == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  for (const ClassRow& row : kClasses) {
    const HRESULT hr = RegisterServer(*row.clsid);
    if (FAILED(hr)) return hr;
  }
  return RegisterDevice();
}

STDAPI DllUnregisterServer() {
  Microsoft::WRL::ComPtr<IFilterMapper2> mapper;
  if (SUCCEEDED(::CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&mapper)))) {
    mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, kTestCameraName, kTestCameraClsid);
  }
  for (const ClassRow& row : kClasses) {
    const LONG status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, ClsidKey(*row.clsid).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}
