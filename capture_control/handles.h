// Owners for the Win32 handles the control holds: one type per handle kind,
// each with the one function that frees it.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace morvane {

template <typename Handle, auto Free>
struct HandleDeleter {
  using pointer = Handle;
  void operator()(Handle handle) const {
    if (handle) Free(handle);
  }
};

template <typename Handle, auto Free>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<Handle>, HandleDeleter<Handle, Free>>;

using UniqueHkey = UniqueHandle<HKEY, &::RegCloseKey>;
using UniqueHbitmap = UniqueHandle<HBITMAP, &::DeleteObject>;
using UniqueHfont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueHdc = UniqueHandle<HDC, &::DeleteDC>;
using UniqueHglobal = UniqueHandle<HGLOBAL, &::GlobalFree>;
using UniqueHwnd = UniqueHandle<HWND, &::DestroyWindow>;
using UniqueFile = UniqueHandle<HANDLE, &::CloseHandle>;

// A window DC, released to the window it came from.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint/EndPaint as one scope.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// The clipboard stays open only for the life of this object.
class ClipboardScope {
 public:
  explicit ClipboardScope(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
  ~ClipboardScope() {
    if (open_) ::CloseClipboard();
  }
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
  bool is_open() const { return open_; }

 private:
  bool open_;
};

// A GDI object selected into a DC, put back when the scope ends.
class SelectScope {
 public:
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectScope() {
    if (previous_) ::SelectObject(dc_, previous_);
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace morvane
