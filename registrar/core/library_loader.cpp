#include "library_loader.h"

#include "text_cp932.h"

namespace halvern {

bool NamesDirectory(const std::string& path932) {
  return FromCp932(path932).find_first_of(L"\\/:") != std::wstring::npos;
}

std::wstring LoaderName(const std::string& path932, DWORD& last_error) {
  last_error = ERROR_SUCCESS;
  const std::wstring name = FromCp932(path932);
  if (!NamesDirectory(path932)) return name;
  const DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (needed == 0) {
    last_error = GetLastError();
    return {};
  }
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(name.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) {
    last_error = length == 0 ? GetLastError() : static_cast<DWORD>(ERROR_BAD_PATHNAME);
    return {};
  }
  full.resize(length);
  return full;
}

Library LoadNamedLibrary(const std::string& path932, DWORD& last_error) {
  const std::wstring name = LoaderName(path932, last_error);
  if (last_error != ERROR_SUCCESS) return Library();
  HMODULE module = NamesDirectory(path932) ? LoadLibraryExW(name.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                           : LoadLibraryW(name.c_str());
  // Handles below 32 were error codes on old systems; nothing to release then.
  if (reinterpret_cast<UINT_PTR>(module) < 32) {
    last_error = GetLastError();
    return Library();
  }
  last_error = ERROR_SUCCESS;
  return Library(module);
}

}  // namespace halvern
