// The widget layer: thin objects over Win32 child controls that give the
// program the event semantics it relies on. A program's assignment of a
// different state, text or selection runs the widget's handler at once,
// nested in the assigning code (and a failure there propagates to it); a
// user's action runs the handler through the form's EventRunner, which
// reports a failure and ends only that handler.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "forms/gdi_handle.h"

namespace forms {

using Handler = std::function<void()>;

class EventRunner {
 public:
  virtual void RunUserEvent(const Handler& handler) noexcept = 0;

 protected:
  ~EventRunner() = default;
};

// An OLE colour (0x00BBGGRR, or 0x800000nn for a system colour).
using OleColor = unsigned long;
COLORREF ToColorRef(OleColor color);

// How a widget or a label is coloured. A transparent one shows the
// button-face background behind its text.
struct WidgetColors {
  std::optional<OleColor> back;
  std::optional<OleColor> text;
  bool transparent = false;
};

struct WidgetPlacement {
  HWND parent;
  int id;
  RECT rect;  // pixels in the parent's client area
};

class Widget {
 public:
  explicit Widget(EventRunner& runner) : runner_(runner) {}
  virtual ~Widget();
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  HWND hwnd() const { return hwnd_; }
  int id() const;
  // The window's text: a field's contents, a label's or a button's caption.
  std::wstring Text() const;

  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }

  // Set once, before the widget is first drawn.
  virtual void SetFont(HFONT font) { SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }

  // Colours used when the widget asks its parent how to draw itself.
  void SetColors(const WidgetColors& colors);

  // Routed here by the form from WM_COMMAND.
  virtual void OnCommand(WORD) {}
  // Routed here by the form from WM_CTLCOLOR*; null for the system default.
  HBRUSH OnColor(HDC dc);

 protected:
  // Throws convert::RuntimeError when the window cannot be created.
  void CreateControl(const wchar_t* window_class, const std::wstring& text, DWORD style, DWORD ex_style,
                     const WidgetPlacement& placement);
  void RunUserEvent(const Handler& handler) { runner_.RunUserEvent(handler); }
  // What the error says when a widget's window cannot be created.
  static std::wstring CreationFailure(const wchar_t* window_class, int id);

  HWND hwnd_ = nullptr;

 private:
  EventRunner& runner_;
  WidgetColors colors_;
  UniqueBrush owned_brush_;  // the brush of a colour that is not a system colour
  HBRUSH brush_ = nullptr;   // owned_brush_, or a system colour's brush
};

// A widget whose user action is a click: a button, a box, a list's choice.
class ClickableWidget : public Widget {
 public:
  using Widget::Widget;
  void OnClick(Handler handler) { click_ = std::move(handler); }

 protected:
  Handler click_;
};

}  // namespace forms
