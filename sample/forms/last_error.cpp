#include "forms/last_error.h"

#include <windows.h>

namespace forms {

convert::RuntimeError LastError(const std::wstring& what, const std::wstring& source) {
  const DWORD code = GetLastError();
  const HRESULT hr = code != ERROR_SUCCESS ? HRESULT_FROM_WIN32(code) : E_FAIL;
  return convert::RuntimeError(static_cast<long>(hr), what, source);
}

}  // namespace forms
