#include "main_window/main_window.h"

#include <algorithm>

#include "clip_window/clip_form.h"
#include "commands/commands.h"
#include "forms/button.h"
#include "forms/check_box.h"
#include "forms/combo_box.h"
#include "forms/error_report.h"
#include "forms/form_font.h"
#include "forms/label.h"
#include "forms/panel.h"
#include "forms/screen_units.h"
#include "forms/startup_timeline.h"
#include "forms/text_box.h"
#include "main_window/capture_events.h"
#include "main_window/layout.h"
#include "main_window/startup_sequence.h"
#include "main_window/tab_order.h"
#include "options/option_handlers.h"
#include "stream_window/stream_form.h"

namespace sample {

const wchar_t kMainWindowClass[] = L"SampleMainWindow";
const wchar_t kCloseRefusedText[] = L"ｽﾄﾘｰﾑﾁｬﾌﾟﾁｬ中です。終了できません";

namespace {

constexpr wchar_t kProgId[] = L"MORVANELib.Morvane";
constexpr int kComboDropHeight = 160;  // pixels of the dropped list
constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

using forms::TwipsToPixelX;
using forms::TwipsToPixelY;

RECT PixelRect(const LayoutRow& row) {
  const int left = TwipsToPixelX(row.x);
  const int top = TwipsToPixelY(row.y);
  return RECT{left, top, left + TwipsToPixelX(row.width), top + TwipsToPixelY(row.height)};
}

// Within one container: the widgets that take the focus in tab order, then
// the labels. A window created later lies below the siblings created before
// it, so fields and buttons are drawn above the labels they overlap. Labels
// go in falling tab order: of two overlapping labels the later one is drawn
// on top (the preview-rate label runs under the "F/S" label).
std::vector<const LayoutRow*> CreationOrder(int container) {
  std::vector<const LayoutRow*> rows;
  for (int i = 0; i < kLayoutCount; ++i) {
    if (kLayout[i].container == container) rows.push_back(&kLayout[i]);
  }
  std::stable_sort(rows.begin(), rows.end(), [](const LayoutRow* a, const LayoutRow* b) {
    const bool a_label = a->kind == WidgetKind::Label;
    const bool b_label = b->kind == WidgetKind::Label;
    if (a_label != b_label) return b_label;
    return a_label ? a->tab_index > b->tab_index : a->tab_index < b->tab_index;
  });
  return rows;
}

// Labels and check boxes take their panel's theme colour; the rows say
// where a widget has colours of its own.
forms::WidgetColors RowColors(const LayoutRow& row) {
  if (row.flags & kTransparent) return {std::nullopt, std::nullopt, true};
  if (row.flags & (kHasBackColor | kHasTextColor)) {
    return {row.flags & kHasBackColor ? std::optional<forms::OleColor>(row.back_color) : std::nullopt,
            row.flags & kHasTextColor ? std::optional<forms::OleColor>(row.text_color) : std::nullopt, false};
  }
  const LayoutRow* panel = row.container == kWindowId ? nullptr : FindLayoutRow(row.container);
  if (panel != nullptr && (row.kind == WidgetKind::Label || row.kind == WidgetKind::CheckBox)) {
    return {panel->back_color, std::nullopt, false};
  }
  return {};
}

// The widget that has the focus when the window first opens.
HWND FirstTabStop(HWND window) { return NextInTabOrder(window, nullptr, false); }

MainWindowOptions WithDefaults(MainWindowOptions options) {
  if (!options.control_factory) options.control_factory = RegisteredControlFactory(kProgId);
  if (!options.message_box) {
    options.message_box = [](HWND owner, const std::wstring& text, UINT style) {
      return MessageBoxW(owner, text.c_str(), forms::kProgramTitle, style);
    };
  }
  if (!options.report_error) options.report_error = &forms::ShowErrorReport;
  if (!options.end_process) options.end_process = [](UINT code) { ExitProcess(code); };
  if (!options.annotation_service) options.annotation_service = &forms::SystemAnnotationService;
  return options;
}

}  // namespace

MainWindow::MainWindow(MainWindowOptions options)
    : options_(WithDefaults(std::move(options))), focus_keeper_(&FirstTabStop) {}

MainWindow::~MainWindow() {
  unloaded_ = true;
  if (filter_added_) forms::RemoveMessageFilter(this);
  ClipForm::Instance().SetFrameCopier(nullptr);
  if (host_) host_->Destroy();
  control_.reset();
  field_names_.reset();
  if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  host_.reset();
  widgets_.clear();
}

void MainWindow::Create() {
  // The layout places the client area, not the frame.
  const WindowLayout& layout = kMainWindowLayout;
  RECT frame{TwipsToPixelX(layout.client_x), TwipsToPixelY(layout.client_y), 0, 0};
  frame.right = frame.left + TwipsToPixelX(layout.client_width);
  frame.bottom = frame.top + TwipsToPixelY(layout.client_height);
  AdjustWindowRectEx(&frame, kMainWindowStyle, FALSE, 0);
  CreateWindowFrom({kMainWindowClass, 0, LoadIconW(nullptr, IDI_APPLICATION), 0, layout.caption, kMainWindowStyle,
                    frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, nullptr, 0, L"", L""});
  forms::MarkStartup("frame window created");
  CreateFonts();
  forms::MarkStartup("fonts created");
  CreateWidgets();
  NameFields();
  forms::MarkStartup("fields named");
  BindHandlers();
  forms::MarkStartup("handlers bound");
  forms::AddMessageFilter(this);
  filter_added_ = true;
}

void MainWindow::CreateFonts() {
  default_font_ = forms::CreateFormFont(forms::kDefaultFontStyle);
  button_font_ = forms::CreateFormFont(forms::kButtonFontStyle);
  title_font_ = forms::CreateFormFont(forms::kTitleFontStyle);
}

void MainWindow::CreateWidgets() {
  std::vector<const LayoutRow*> top = CreationOrder(kWindowId);
  for (const LayoutRow* row : top) CreateWidget(*row);
  forms::MarkStartup("widgets on the window");
  for (const LayoutRow* panel : top) {
    if (panel->kind != WidgetKind::Panel) continue;
    for (const LayoutRow* row : CreationOrder(panel->id)) CreateWidget(*row);
  }
  forms::MarkStartup("widgets on the panels");
}

void MainWindow::CreateWidget(const LayoutRow& row) {
  HWND parent = row.container == kWindowId ? hwnd_ : FindWidget(row.container)->hwnd();
  const forms::WidgetPlacement placement{parent, row.id, PixelRect(row)};
  std::unique_ptr<forms::Widget> widget;
  switch (row.kind) {
    case WidgetKind::Control: {
      forms::MarkStartup("widgets before the control");
      host_ = std::make_unique<ControlHost>(parent, row.id, placement.rect, this, options_.control_factory);
      forms::MarkStartup("control created and activated");
      Microsoft::WRL::ComPtr<IDispatch> extender = host_->extender();
      if (options_.wrap_extender) extender = options_.wrap_extender(host_->extender());
      control_ = std::make_unique<MorvaneControl>(host_->dispatch(), extender);
      return;
    }
    case WidgetKind::Panel: widget = std::make_unique<forms::Panel>(*this, placement); break;
    case WidgetKind::Label:
      widget = std::make_unique<forms::Label>(*this, row.caption, (row.flags & kCentred) != 0, placement);
      break;
    case WidgetKind::TextField:
      widget = std::make_unique<forms::TextBox>(*this, row.caption, (row.flags & kReadOnly) != 0, placement);
      break;
    case WidgetKind::CheckBox: widget = std::make_unique<forms::CheckBox>(*this, row.caption, placement); break;
    case WidgetKind::Button: widget = std::make_unique<forms::Button>(*this, row.caption, placement); break;
    case WidgetKind::ComboBox: widget = std::make_unique<forms::ComboBox>(*this, placement, kComboDropHeight); break;
  }
  const forms::WidgetColors colors = RowColors(row);
  if (colors.back || colors.text || colors.transparent) widget->SetColors(colors);
  HFONT font = RowFont(row);
  if (font != nullptr) widget->SetFont(font);
  by_id_[row.id] = widget.get();
  widgets_.push_back(std::move(widget));
}

HFONT MainWindow::RowFont(const LayoutRow& row) const {
  if (row.kind == WidgetKind::Button) return button_font_.get();
  return (row.flags & kTitleFont) ? title_font_.get() : default_font_.get();
}

// A service that cannot name a field leaves it unnamed; the user loses
// nothing else, so that is not reported.
void MainWindow::NameFields() {
  field_names_ = std::make_unique<forms::AccessibleNames>(options_.annotation_service());
  if (!field_names_->available()) return;
  for (int i = 0; i < kFieldLabelCount; ++i) {
    if (forms::Widget* field = FindWidget(kFieldLabels[i].field)) {
      field_names_->Name(field->hwnd(), AccessibleFieldName(kFieldLabels[i]));
    }
  }
}

void MainWindow::BindHandlers() {
  BindOptionHandlers(*this);
  BindCommands(*this);
  At(kExitButton).OnClick([this] { OnExitClick(); });
  // A double-click in the clipboard window has the control draw into it.
  ClipForm::Instance().SetFrameCopier([this](HDC dc) { return Morvane1().CopyFrameToDC(dc); });
}

bool MainWindow::Load() noexcept {
  return Guarded([this] { RunStartUp(*this); });
}

void MainWindow::Show(int show_command) {
  ShowWindow(hwnd_, show_command);
  forms::MarkStartup("shown");
  UpdateWindow(hwnd_);
  forms::MarkStartup("first paint");
}

forms::Widget* MainWindow::FindWidget(int id) const {
  auto found = by_id_.find(id);
  return found == by_id_.end() ? nullptr : found->second;
}


MorvaneControl& MainWindow::Morvane1() {
  if (!control_) throw convert::RuntimeError(static_cast<long>(E_UNEXPECTED), L"", kControlName);
  return *control_;
}

int MainWindow::ShowMessage(const std::wstring& text, UINT style) { return options_.message_box(hwnd_, text, style); }

void MainWindow::ReportCurrentError() noexcept {
  try {
    options_.report_error(hwnd_, forms::CurrentExceptionAsRuntimeError());
  } catch (const std::exception&) {
    // The report itself failed (no memory for its text); there is nothing
    // left to show it with.
    MessageBeep(MB_ICONHAND);
  }
}

void MainWindow::RunUserEvent(const forms::Handler& handler) noexcept {
  if (unloaded_) return;  // no handler runs once the program is ending
  Guarded(handler);
}

bool MainWindow::PreTranslateMessage(MSG& msg) {
  if (hwnd_ == nullptr || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
    if (HWND next = NextInTabOrder(hwnd_, GetFocus(), GetKeyState(VK_SHIFT) < 0)) {
      SetFocus(next);
      wchar_t class_name[16] = {};
      GetClassNameW(next, class_name, 16);
      if (lstrcmpiW(class_name, L"Edit") == 0) SendMessageW(next, EM_SETSEL, 0, -1);
    }
    return true;
  }
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void MainWindow::OnExitClick() {
  SetStopFlag(kTrue);
  // Whatever is due runs now, nested here, and sees StopFlag True.
  forms::PumpWaitingMessages();
  if (unloaded_) return;  // a handler in the pass already ended the program
  if (OnCloseRequest()) Unload();
}

bool MainWindow::OnCloseRequest() {
  if (StopFlag() != kFalse) return true;
  ShowMessage(kCloseRefusedText, MB_OK);
  return false;
}

bool MainWindow::ControlBusy() const {
  return events_in_progress_ > 0 || (control_ && control_->calls_in_progress() > 0);
}

void MainWindow::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  StreamForm::Instance().Destroy();
  ClipForm::Instance().Destroy();
  if (ControlBusy()) {
    // A capture call (or one of the control's events) is still pending
    // further down this stack. Returning into the control's capture loop
    // after its site and windows are gone would run it against a torn-down
    // host, so the pending call is abandoned for good: the process ends
    // here and the system frees what it held.
    ShowWindow(hwnd_, SW_HIDE);
    options_.end_process(0);
    return;
  }
  if (filter_added_) {
    forms::RemoveMessageFilter(this);
    filter_added_ = false;
  }
  ClipForm::Instance().SetFrameCopier(nullptr);
  // The control goes first, while its site window still exists.
  if (host_) host_->Destroy();
  control_.reset();
  field_names_.reset();
  DestroyWindow(hwnd_);
  PostQuitMessage(0);
}

void MainWindow::OnCaptureComplete(std::int32_t captured, std::int32_t dropped) noexcept {
  ++events_in_progress_;
  Guarded([&] { CaptureCompleteHandler(*this, captured, dropped); });
  --events_in_progress_;
}

void MainWindow::OnStreamFrame(std::int32_t width, std::int32_t height, std::int32_t bitmap_info,
                               std::int32_t bits, std::int16_t* stop) noexcept {
  ++events_in_progress_;
  // A frame that cannot be drawn asks the control to stop: going on would
  // raise the same report for every following frame.
  if (!Guarded([&] { StreamFrameHandler(*this, width, height, bitmap_info, bits, stop); })) *stop = kTrue;
  --events_in_progress_;
}

void MainWindow::OnCommand(WORD id, WORD code) {
  if (unloaded_) return;
  // Esc answers as the exit button does.
  if (id == IDCANCEL) {
    RunUserEvent([this] { OnExitClick(); });
    return;
  }
  if (forms::Widget* widget = FindWidget(id)) widget->OnCommand(code);
}

LRESULT MainWindow::OnCtlColor(HDC dc, HWND control) {
  forms::Widget* widget = FindWidget(GetDlgCtrlID(control));
  HBRUSH brush = widget ? widget->OnColor(dc) : nullptr;
  return reinterpret_cast<LRESULT>(brush);
}

void MainWindow::OnClose() {
  RunUserEvent([this] {
    if (OnCloseRequest()) Unload();
  });
}

// The window keeps its focused widget across losing and regaining
// activation, as a dialog does: after a message box, or when the user comes
// back from another window, typing goes on where it was.
LRESULT MainWindow::OnActivate(WPARAM wparam, LPARAM lparam) {
  if (focus_keeper_.OnActivate(hwnd_, wparam)) return 0;
  return Default(WM_ACTIVATE, wparam, lparam);
}

LRESULT MainWindow::OnSetFocus(WPARAM wparam, LPARAM lparam) {
  if (focus_keeper_.OnFrameFocus(hwnd_)) return 0;
  return Default(WM_SETFOCUS, wparam, lparam);
}

BOOL MainWindow::OnQueryEndSession() {
  bool allowed = false;
  RunUserEvent([&] { allowed = OnCloseRequest(); });
  return allowed ? TRUE : FALSE;
}

void MainWindow::OnEndSession(bool ending) {
  if (ending) Unload();
}

LRESULT MainWindow::Route(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      LRESULT brush = OnCtlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
      return brush ? brush : Default(message, wparam, lparam);
    }
    case WM_CLOSE: OnClose(); return 0;
    case WM_ACTIVATE: return OnActivate(wparam, lparam);
    case WM_SETFOCUS: return OnSetFocus(wparam, lparam);
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_ENDSESSION: OnEndSession(wparam != FALSE); return 0;
    default: return Default(message, wparam, lparam);
  }
}

}  // namespace sample
