#include "registration.h"

#include <oleauto.h>

#include <iterator>

#include "guard.h"
#include "handles.h"
#include "module.h"
#include "morvane_guids.h"

namespace morvane {
namespace {

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
  return text;
}

HRESULT WriteRow(const RegistryRow& row, const std::wstring& clsid, const std::wstring& libid,
                 const std::wstring& path) {
  std::wstring key_name = ExpandRegistryText(row.key, clsid, libid, path);
  std::wstring data = ExpandRegistryText(row.data, clsid, libid, path);
  HKEY raw = nullptr;
  LONG status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key_name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &raw, nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  UniqueHkey key(raw);
  status = ::RegSetValueExW(key.get(), row.value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

bool IsMissing(LONG status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

HRESULT RemoveTypeLibrary() {
  const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
  BSTR registered_path = nullptr;
  if (FAILED(::QueryPathOfRegTypeLib(LIBID_MORVANELib, 1, 0, LOCALE_NEUTRAL, &registered_path))) {
    return S_OK;  // not registered: nothing to remove
  }
  ::SysFreeString(registered_path);
  HRESULT hr = ::UnRegisterTypeLib(LIBID_MORVANELib, 1, 0, LOCALE_NEUTRAL, kind);
  // A library that is not registered is already in the state we want.
  if (hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED || hr == TYPE_E_INVALIDSTATE ||
      hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
    return S_OK;
  }
  return hr;
}

}  // namespace

HRESULT RegisterServer(const std::wstring& module_path) {
  if (module_path.empty()) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  const std::wstring clsid = GuidText(CLSID_Morvane);
  const std::wstring libid = GuidText(LIBID_MORVANELib);
  for (const RegistryRow& row : RegistryRows()) {
    HRESULT hr = WriteRow(row, clsid, libid, module_path);
    if (FAILED(hr)) {
      UnregisterServer();
      return hr;
    }
  }
  ITypeLib* library = nullptr;
  HRESULT hr = ::LoadTypeLibEx(module_path.c_str(), REGKIND_REGISTER, &library);
  if (FAILED(hr)) {
    UnregisterServer();
    return hr;
  }
  library->Release();
  return S_OK;
}

HRESULT UnregisterServer() {
  const std::wstring clsid = GuidText(CLSID_Morvane);
  const std::wstring libid = GuidText(LIBID_MORVANELib);
  HRESULT result = RemoveTypeLibrary();
  for (const wchar_t* tree : OwnedRegistryTrees()) {
    std::wstring name = ExpandRegistryText(tree, clsid, libid, std::wstring());
    // The tree goes with its key. Deleting the name once more would not
    // find it gone where 32-bit programs see the registry through a view:
    // it would reach the 64-bit control's key of the same name instead.
    const LONG status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, name.c_str());
    if (status != ERROR_SUCCESS && !IsMissing(status) && SUCCEEDED(result)) result = HRESULT_FROM_WIN32(status);
  }
  return result;
}

}  // namespace morvane
