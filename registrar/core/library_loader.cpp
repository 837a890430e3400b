#include "library_loader.h"

#include "text_cp932.h"

namespace halvern {

bool NamesDirectory(const std::string& ansiPath) {
  return FromAnsi(ansiPath).find_first_of(L"\\/:") != std::wstring::npos;
}

Library LoadNamedLibrary(const std::string& ansiPath, DWORD& lastError) {
  HMODULE module = NamesDirectory(ansiPath) ? LoadLibraryExA(ansiPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                                            : LoadLibraryA(ansiPath.c_str());
  // Handles below 32 were error codes on old systems; nothing to release then.
  if (reinterpret_cast<UINT_PTR>(module) < 32) {
    lastError = GetLastError();
    return Library();
  }
  lastError = ERROR_SUCCESS;
  return Library(module);
}

}  // namespace halvern
