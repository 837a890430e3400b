// Self-registration: the registry rows Morvane.ocx writes and removes.
#pragma once

#include <windows.h>

#include <string>

namespace morvane {

// One value under HKEY_CLASSES_ROOT. In key and data, {clsid}, {libid} and
// {path} stand for the class id, the type library id and the OCX's full path.
struct RegistryRow {
  const wchar_t* key;
  const wchar_t* value_name;  // nullptr: the key's default value
  const wchar_t* data;
};

// Replaces the placeholders of a row's text.
std::wstring ExpandRegistryText(const wchar_t* text, const std::wstring& clsid, const std::wstring& libid,
                                const std::wstring& path);

HRESULT RegisterServer(const std::wstring& module_path);
HRESULT UnregisterServer();

}  // namespace morvane
