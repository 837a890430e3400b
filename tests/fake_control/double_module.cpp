// The stand-in's DLL entry points: its class factory and self-registration
// under the capture control's programmatic identifier.
#include <new>
#include <string>

#include "double_control.h"
#include "double_guids.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace morvane_double {
namespace {

LONG g_locks = 0;

#ifdef _WIN64
constexpr SYSKIND kOwnSysKind = SYS_WIN64;
#else
constexpr SYSKIND kOwnSysKind = SYS_WIN32;
#endif

class ClassFactory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // One static factory for the module's life; DllCanUnloadNow counts locks.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return DoubleControl::Create(riid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&g_locks);
    } else {
      InterlockedDecrement(&g_locks);
    }
    return S_OK;
  }
};

ClassFactory g_factory;

struct RegistryRow {
  const wchar_t* key;    // below HKEY_CLASSES_ROOT; {clsid} and {libid} are filled in
  const wchar_t* name;   // nullptr for the key's default value
  const wchar_t* value;  // {path} is this module's full path
};

constexpr RegistryRow kRows[] = {
    {L"CLSID\\{clsid}", nullptr, L"MorvaneDouble Control"},
    {L"CLSID\\{clsid}\\InprocServer32", nullptr, L"{path}"},
    {L"CLSID\\{clsid}\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\{clsid}\\ProgID", nullptr, kProgId},
    {L"CLSID\\{clsid}\\Control", nullptr, L""},
    {L"CLSID\\{clsid}\\MiscStatus", nullptr, L"0"},
    {L"CLSID\\{clsid}\\MiscStatus\\1", nullptr, L"131473"},
    {L"CLSID\\{clsid}\\TypeLib", nullptr, L"{libid}"},
    {L"CLSID\\{clsid}\\Version", nullptr, L"1.0"},
    {kProgId, nullptr, L"MorvaneDouble Control"},
    {L"MORVANELib.Morvane\\CLSID", nullptr, L"{clsid}"},
};

// The keys unregistration removes, deepest first.
constexpr const wchar_t* kOwnKeys[] = {L"CLSID\\{clsid}", kProgId};

std::wstring Filled(const wchar_t* pattern, const std::wstring& path) {
  std::wstring text = pattern;
  struct Field {
    const wchar_t* name;
    std::wstring value;
  };
  const Field fields[] = {{L"{clsid}", kClassIdText}, {L"{libid}", kLibraryIdText}, {L"{path}", path}};
  for (const Field& f : fields) {
    for (size_t at = text.find(f.name); at != std::wstring::npos; at = text.find(f.name)) {
      text.replace(at, wcslen(f.name), f.value);
    }
  }
  return text;
}

HRESULT ModulePath(std::wstring* path) {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  path->assign(buffer, n);
  return S_OK;
}

HRESULT Unregister() {
  for (const wchar_t* key : kOwnKeys) {
    LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, Filled(key, L"").c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(status);
  }
  HRESULT hr = UnRegisterTypeLib(kLibraryId, 1, 0, LOCALE_NEUTRAL, kOwnSysKind);
  // A library that was never registered is already gone.
  if (hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_CANTLOADLIBRARY) hr = S_OK;
  return SUCCEEDED(hr) ? S_OK : hr;
}

}  // namespace
}  // namespace morvane_double

using namespace morvane_double;

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != kClassId) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(riid, out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return LiveObjects() == 0 && g_locks == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT __stdcall DllRegisterServer() {
  try {
    std::wstring path;
    HRESULT hr = ModulePath(&path);
    if (FAILED(hr)) return hr;
    for (const RegistryRow& row : kRows) {
      HKEY key = nullptr;
      LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, Filled(row.key, path).c_str(), 0, nullptr, 0,
                                       KEY_WRITE, nullptr, &key, nullptr);
      if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
      const std::wstring value = Filled(row.value, path);
      status = RegSetValueExW(key, row.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
      RegCloseKey(key);
      if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    }
    ITypeLib* library = nullptr;
    hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &library);
    if (library) library->Release();
    return hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
  try {
    return Unregister();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
