// Owners for Win32 handles: a handle type and the one function that frees
// it, one line per kind. The function's type is spelt decltype(&::Fn), which
// keeps its __stdcall convention on i686 where a hand-written pointer type
// would lose it. A null handle owns nothing.
#pragma once

#include <windows.h>

#include <utility>

namespace basics {

template <typename Handle, typename Free, Free free>
class UniqueAny {
 public:
  UniqueAny() = default;
  explicit UniqueAny(Handle handle) : handle_(handle) {}
  UniqueAny(UniqueAny&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;
  ~UniqueAny() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset(Handle handle = nullptr) {
    if (handle_) free(handle_);
    handle_ = handle;
  }
  Handle release() { return std::exchange(handle_, nullptr); }

 private:
  Handle handle_ = nullptr;
};

using UniqueHkey = UniqueAny<HKEY, decltype(&::RegCloseKey), ::RegCloseKey>;
using UniqueKernelHandle = UniqueAny<HANDLE, decltype(&::CloseHandle), ::CloseHandle>;
using UniqueHglobal = UniqueAny<HGLOBAL, decltype(&::GlobalFree), ::GlobalFree>;
using UniqueHwnd = UniqueAny<HWND, decltype(&::DestroyWindow), ::DestroyWindow>;
using UniqueMemoryDc = UniqueAny<HDC, decltype(&::DeleteDC), ::DeleteDC>;
using UniqueBitmap = UniqueAny<HBITMAP, decltype(&::DeleteObject), ::DeleteObject>;
using UniqueFont = UniqueAny<HFONT, decltype(&::DeleteObject), ::DeleteObject>;
using UniqueBrush = UniqueAny<HBRUSH, decltype(&::DeleteObject), ::DeleteObject>;
using UniqueHicon = UniqueAny<HICON, decltype(&::DestroyIcon), ::DestroyIcon>;
using UniqueEnhMetafile = UniqueAny<HENHMETAFILE, decltype(&::DeleteEnhMetaFile), ::DeleteEnhMetaFile>;
using UniqueMetafile = UniqueAny<HMETAFILE, decltype(&::DeleteMetaFile), ::DeleteMetaFile>;
using UniqueHmodule = UniqueAny<HMODULE, decltype(&::FreeLibrary), ::FreeLibrary>;

}  // namespace basics
