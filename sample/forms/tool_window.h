// The base of the program's two secondary windows (the stream window and the
// clipboard window): one program-wide instance each, a top-level tool window
// without an owner, created on first use at a client size given in twips.
#pragma once

#include <windows.h>

#include "forms/window.h"

namespace forms {

// How a tool window looks when it is created; sizes in twips as the form was
// designed.
struct ToolWindowLayout {
  const wchar_t* class_name;
  UINT class_style;
  const wchar_t* caption;
  int client_width_twips;
  int client_height_twips;
  const wchar_t* create_failure;  // the error's description when it cannot be created
};

constexpr DWORD kToolWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
// A tool window without an owner stays out of the taskbar.
constexpr DWORD kToolWindowExStyle = WS_EX_TOOLWINDOW;

// The outer size of a top-level window whose client area measures the given
// twips on the screen.
SIZE OuterSizeForClientTwips(int width_twips, int height_twips, DWORD style, DWORD ex_style);

// T routes its messages (see Window) and may hide OnCreated, which runs once
// the window exists and may throw to refuse it.
template <typename T>
class ToolWindow : public Window<T> {
 public:
  // The program-wide instance; its window is created on first use.
  static T& Instance() {
    static T instance;
    return instance;
  }

  // The window exists now (false before first use and after the user closed it).
  bool Exists() const { return this->hwnd_ != nullptr; }

  // Creates the window hidden if it does not exist; throws
  // convert::RuntimeError on failure.
  void EnsureCreated() {
    if (this->hwnd_ != nullptr) return;
    const SIZE outer = OuterSizeForClientTwips(layout_.client_width_twips, layout_.client_height_twips,
                                               kToolWindowStyle, kToolWindowExStyle);
    this->CreateWindowFrom({layout_.class_name, layout_.class_style, nullptr, kToolWindowExStyle, layout_.caption,
                            kToolWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy, nullptr, 0,
                            layout_.create_failure, L""});
    static_cast<T*>(this)->OnCreated();
  }

  // EnsureCreated(), then shows the window modeless, with no owner.
  void Show() {
    EnsureCreated();
    ShowWindow(this->hwnd_, SW_SHOW);
  }

  // Closes the window without running any handler (program end).
  void Destroy() {
    if (this->hwnd_ != nullptr) DestroyWindow(this->hwnd_);
  }

 protected:
  explicit ToolWindow(const ToolWindowLayout& layout) : layout_(layout) {}
  ~ToolWindow() = default;

  void OnCreated() {}

 private:
  const ToolWindowLayout& layout_;
};

}  // namespace forms
