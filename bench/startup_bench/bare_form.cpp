// The floor for the sample's own window: the least work that shows the same
// window. OLE, the control in place where the layout puts it, and the form's
// native child windows (panels, labels, fields, boxes, buttons and the device
// list) with the form's fonts, created in one loop over the layout table with
// no widget objects, handlers, colours or start-up calls behind them.
#include <windows.h>

#include "bare_common.h"
#include "bare_control.h"
#include "forms/form_font.h"
#include "forms/screen_units.h"
#include "forms/startup_timeline.h"
#include "main_window/layout.h"

namespace {

constexpr wchar_t kPanelClass[] = L"BareFormPanel";

// The window class and styles the sample gives each kind of widget; the
// control is no native window and has no row.
struct NativeClass {
  sample::WidgetKind kind;
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};
constexpr NativeClass kNativeClasses[] = {
    {sample::WidgetKind::Panel, kPanelClass, WS_CLIPCHILDREN, WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT},
    {sample::WidgetKind::Label, L"STATIC", SS_NOPREFIX | SS_LEFT, 0},
    {sample::WidgetKind::TextField, L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
    {sample::WidgetKind::CheckBox, L"BUTTON", BS_3STATE | WS_TABSTOP, 0},
    {sample::WidgetKind::Button, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
    {sample::WidgetKind::ComboBox, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0},
};

NativeClass ClassOf(const sample::LayoutRow& row) {
  for (NativeClass native : kNativeClasses) {
    if (native.kind != row.kind) continue;
    if (row.kind == sample::WidgetKind::Label && (row.flags & sample::kCentred)) native.style |= SS_CENTER;
    return native;
  }
  return {row.kind, nullptr, 0, 0};
}

RECT PixelRect(const sample::LayoutRow& row) {
  const int left = forms::TwipsToPixelX(row.x), top = forms::TwipsToPixelY(row.y);
  return RECT{left, top, left + forms::TwipsToPixelX(row.width), top + forms::TwipsToPixelY(row.height)};
}

// Panels come first in the table, so every container exists before what it
// holds.
bool CreateWidgets(HWND window, HFONT text_font, HFONT button_font, HFONT title_font) {
  if (!bench::RegisterBareClass(kPanelClass, &DefWindowProcW)) return false;
  for (int i = 0; i < sample::kLayoutCount; ++i) {
    const sample::LayoutRow& row = sample::kLayout[i];
    const NativeClass native = ClassOf(row);
    if (native.name == nullptr) continue;
    HWND parent = row.container == sample::kWindowId ? window : GetDlgItem(window, row.container);
    const RECT r = PixelRect(row);
    const int height = row.kind == sample::WidgetKind::ComboBox ? 160 : r.bottom - r.top;
    HWND child = CreateWindowExW(native.ex_style, native.name, row.caption,
                                 native.style | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left, r.top,
                                 r.right - r.left, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), GetModuleHandleW(nullptr),
                                 nullptr);
    if (child == nullptr) return false;
    const HFONT font = row.kind == sample::WidgetKind::Button ? button_font
                       : (row.flags & sample::kTitleFont)    ? title_font
                                                             : text_font;
    if (row.kind != sample::WidgetKind::Panel) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  bench::HostingFloor floor;
  if (floor.window() == nullptr) return 1;
  const forms::UniqueFont text_font = forms::CreateFormFont(forms::kDefaultFontStyle);
  const forms::UniqueFont button_font = forms::CreateFormFont(forms::kButtonFontStyle);
  const forms::UniqueFont title_font = forms::CreateFormFont(forms::kTitleFontStyle);
  forms::MarkStartup("fonts created");
  const sample::LayoutRow* control_row = sample::FindLayoutRow(sample::kMorvane1Id);
  if (control_row == nullptr || !floor.ActivateControl(PixelRect(*control_row))) return 1;
  if (!CreateWidgets(floor.window(), text_font.get(), button_font.get(), title_font.get())) return 1;
  forms::MarkStartup("widgets created");
  return floor.ShowAndRun(show_command);
}
