// The one base of the program's windows. A window object T derives from
// Window<T> and routes its messages in `LRESULT Route(UINT, WPARAM, LPARAM)`;
// the base connects the window to its object (lpCreateParams, then
// GWLP_USERDATA), runs every message inside the one guard at the window
// boundary, and registers the class and creates the window.
#pragma once

#include <windows.h>

#include "forms/boundary_guard.h"
#include "forms/last_error.h"
#include "forms/window_class.h"

namespace forms {

// A window as it is registered and created, and what its failure says.
struct WindowCreation {
  const wchar_t* class_name;
  UINT class_style;
  HICON icon;  // nullptr: the system's default
  DWORD ex_style;
  const wchar_t* caption;
  DWORD style;
  int x, y, width, height;  // pixels (CW_USEDEFAULT allowed for top-level windows)
  HWND parent;              // nullptr for a top-level window
  int child_id;             // 0 for a top-level window
  const wchar_t* failure;   // the error's description when it cannot be created
  const wchar_t* source;    // the error's source; empty for the program's own windows
};

template <typename T>
class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  Window() = default;
  ~Window() = default;

  // Registers the class (once) and creates the window; its messages reach
  // T::Route from WM_NCCREATE on, and hwnd_ is set from then until
  // WM_NCDESTROY has been routed. Throws convert::RuntimeError.
  void CreateWindowFrom(const WindowCreation& c) {
    RegisterWindowClass(c.class_name, c.class_style, &Window::Procedure, c.icon);
    HWND hwnd = CreateWindowExW(c.ex_style, c.class_name, c.caption, c.style, c.x, c.y, c.width, c.height, c.parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.child_id)), GetModuleHandleW(nullptr),
                                static_cast<T*>(this));
    if (hwnd == nullptr) throw LastError(c.failure, c.source);
  }

  // What Route answers for a message it leaves to the system.
  LRESULT Default(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd_, message, wparam, lparam);
  }

  // Destroys the window without routing its last messages here: for an
  // object that is taking itself apart and must not be called half-way.
  void DestroyUnrouted() {
    if (hwnd_ == nullptr) return;
    HWND hwnd = hwnd_;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }

  // What a message whose handling failed reports: the program's error
  // report over the window. A window with a report of its own hides this.
  void ReportRouteFailure(HWND hwnd) noexcept { ReportCurrentException(hwnd); }

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      T* created = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
      static_cast<Window*>(created)->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    T* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
    const LRESULT result = GuardMessage([&] { return self->Route(message, wparam, lparam); },
                                        [self, hwnd] { self->ReportRouteFailure(hwnd); });
    if (message == WM_NCDESTROY) {
      // The window's last message: nothing reaches the object after it.
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      static_cast<Window*>(self)->hwnd_ = nullptr;
    }
    return result;
  }
};

}  // namespace forms
