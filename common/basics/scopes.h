// The Win32 pairs that must close in the scope that opened them: a window's
// DC, a window's painting, an object selected into a DC, the clipboard, a
// locked memory block, a lock held.
#pragma once

#include <windows.h>

namespace basics {

// A window's device context, released to its window.
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

// A window's painting, from BeginPaint to EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }
  const RECT& dirty() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a device context, put back when the scope ends.
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

// The clipboard, open only for the life of this object.
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

// A movable memory block locked for one scope.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(memory ? ::GlobalLock(memory) : nullptr) {}
  ~GlobalLockScope() {
    if (data_) ::GlobalUnlock(memory_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  void* data() const { return data_; }
  SIZE_T size() const { return data_ ? ::GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

// A lock held for one scope: taken by one function, let go by its pair.
// Their type is spelt decltype(&::Fn), as in handles.h, so that __stdcall
// survives on i686.
template <typename Lock, typename Call, Call take, Call let_go>
class HeldLock {
 public:
  explicit HeldLock(Lock& lock) : lock_(lock) { take(&lock_); }
  ~HeldLock() { let_go(&lock_); }
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

 private:
  Lock& lock_;
};

// A slim reader/writer lock held exclusively.
using ExclusiveLock =
    HeldLock<SRWLOCK, decltype(&::AcquireSRWLockExclusive), ::AcquireSRWLockExclusive, ::ReleaseSRWLockExclusive>;
// A critical section entered.
using CriticalSectionLock =
    HeldLock<CRITICAL_SECTION, decltype(&::EnterCriticalSection), ::EnterCriticalSection, ::LeaveCriticalSection>;

}  // namespace basics
