// The main window "Sample": builds its widgets and the hosted capture control
// from the layout table, runs start-up, guards closing while a capture runs,
// receives the control's events and ends the program when it unloads.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control/control_events.h"
#include "control/control_host.h"
#include "convert/runtime_error.h"
#include "forms/accessible_names.h"
#include "forms/focus.h"
#include "forms/gdi_handle.h"
#include "forms/message_pump.h"
#include "forms/widget.h"
#include "forms/window.h"
#include "options/sample_view.h"

namespace sample {

// Replaceable pieces of the window's surroundings, so tests can stand in for
// the control, answer message boxes and see the program end.
using MessageBoxFunction = std::function<int(HWND owner, const std::wstring& text, UINT style)>;
using ErrorReporter = std::function<void(HWND owner, const convert::RuntimeError& error)>;
using ProcessEnder = std::function<void(UINT exit_code)>;
using ExtenderWrapper = std::function<Microsoft::WRL::ComPtr<IDispatch>(IDispatch* extender)>;

struct MainWindowOptions {
  ControlFactory control_factory;  // default: the registered "MORVANELib.Morvane"
  ExtenderWrapper wrap_extender;   // default: the site's own extender
  MessageBoxFunction message_box;  // default: MessageBoxW with the program's title
  ErrorReporter report_error;      // default: forms::ShowErrorReport
  ProcessEnder end_process;        // default: ExitProcess
  forms::AnnotationServiceFactory annotation_service;  // default: the system's
};

extern const wchar_t kMainWindowClass[];
extern const wchar_t kCloseRefusedText[];

class MainWindow final : public forms::Window<MainWindow>,
                         public SampleView,
                         public ControlEvents,
                         public forms::EventRunner,
                         public forms::MessageFilter {
 public:
  explicit MainWindow(MainWindowOptions options = {});
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, every widget and the control, hidden.
  // Throws convert::RuntimeError.
  void Create();
  // The start-up sequence. A failure is reported; false means the program
  // cannot go on.
  bool Load() noexcept;
  void Show(int show_command);
  bool unloaded() const { return unloaded_; }

  // The widgets by the names the form gives them (Check1, Text2…), for
  // tests and tools that follow the form.
  forms::CheckBox& Check(int n) const { return At(BoxName{CheckId(n)}); }
  forms::TextBox& Text(int n) const { return At(FieldName{TextId(n)}); }
  forms::Button& Command(int n) const { return At(ButtonName{CommandId(n)}); }
  forms::ComboBox& Combo1() const { return At(kDeviceList); }

  // SampleView
  forms::Widget* FindWidget(int id) const override;
  MorvaneControl& Morvane1() override;
  std::int16_t StopFlag() const override { return stop_flag_; }
  void SetStopFlag(std::int16_t value) override { stop_flag_ = value; }
  int ShowMessage(const std::wstring& text, UINT style) override;
  HWND hwnd() const override { return hwnd_; }

  ControlHost* control_host() const { return host_.get(); }

  // The window's own handlers.
  void OnExitClick();
  bool OnCloseRequest();  // true when the close may go ahead
  void Unload();

  // ControlEvents
  void OnCaptureComplete(std::int32_t captured, std::int32_t dropped) noexcept override;
  void OnStreamFrame(std::int32_t width, std::int32_t height, std::int32_t bitmap_info, std::int32_t bits,
                     std::int16_t* stop) noexcept override;

  // forms::EventRunner
  void RunUserEvent(const forms::Handler& handler) noexcept override;
  // forms::MessageFilter: the control's accelerators come first (its own
  // filter), then dialog-style keyboard navigation.
  bool PreTranslateMessage(MSG& msg) override;

 private:
  friend class forms::Window<MainWindow>;

  LRESULT Route(UINT message, WPARAM wparam, LPARAM lparam);
  // Whatever a message's handling leaves escaping (the end of the session's
  // unload included) is reported as any handler's error, and the program
  // goes on.
  void ReportRouteFailure(HWND) noexcept { ReportCurrentError(); }
  void OnCommand(WORD id, WORD code);
  LRESULT OnCtlColor(HDC dc, HWND control);
  void OnClose();
  LRESULT OnActivate(WPARAM wparam, LPARAM lparam);
  LRESULT OnSetFocus(WPARAM wparam, LPARAM lparam);
  BOOL OnQueryEndSession();
  void OnEndSession(bool ending);

  void CreateFonts();
  void CreateWidgets();
  void CreateWidget(const struct LayoutRow& row);
  HFONT RowFont(const struct LayoutRow& row) const;
  void NameFields();
  void BindHandlers();
  bool ControlBusy() const;

  template <typename F>
  bool Guarded(F&& f) noexcept {
    try {
      f();
      return true;
    } catch (...) {
      ReportCurrentError();
      return false;
    }
  }
  void ReportCurrentError() noexcept;

  MainWindowOptions options_;
  std::vector<std::unique_ptr<forms::Widget>> widgets_;
  std::map<int, forms::Widget*> by_id_;
  std::unique_ptr<forms::AccessibleNames> field_names_;
  std::unique_ptr<ControlHost> host_;
  std::unique_ptr<MorvaneControl> control_;
  forms::UniqueFont default_font_;
  forms::UniqueFont button_font_;
  forms::UniqueFont title_font_;
  forms::FocusKeeper focus_keeper_;
  std::int16_t stop_flag_ = kFalse;
  int events_in_progress_ = 0;
  bool unloaded_ = false;
  bool filter_added_ = false;
};

}  // namespace sample
