#include <cstdint>
#include <exception>
#include <new>

#include "commands/commands.h"
#include "convert/leading_number.h"
#include "convert/runtime_error.h"
#include "stream_window/stream_form.h"

namespace sample {
namespace {

constexpr wchar_t kCallbackQuestion[] = L"ｺｰﾙﾊﾞｯｸしますか？";

// What the capture commands have set, as it stands between them. A capture
// command clicked while another one's capture call is pending runs nested
// inside it; only the window thread runs them.
struct CaptureState {
  int running = 0;                // capture commands under way, nested ones included
  bool callback_enabled = false;  // the last CallbackEnabled put
};

CaptureState& State() {
  static CaptureState state;
  return state;
}

// A capture command that fails part-way puts back what held before it began,
// before the error reaches the report. A command that ran on its own must
// not leave StopFlag False, or the close guard would refuse to close the
// window for good: it ends with StopFlag True and the frame callbacks off.
// A nested one (the control refuses a second capture) leaves the capture
// that is running as it was: its StopFlag, so that it can still be stopped,
// and its CallbackEnabled, so that its frames keep coming.
class CaptureCommandScope {
 public:
  explicit CaptureCommandScope(SampleView& view)
      : view_(view),
        stop_flag_before_(view.StopFlag()),
        callback_before_(State().callback_enabled),
        nested_(State().running > 0),
        exceptions_(std::uncaught_exceptions()) {
    ++State().running;
  }
  ~CaptureCommandScope() {
    --State().running;
    if (std::uncaught_exceptions() <= exceptions_) return;
    view_.SetStopFlag(nested_ ? stop_flag_before_ : kTrue);
    try {
      PutCallbackEnabled(nested_ && callback_before_);
    } catch (const convert::RuntimeError&) {
      // The control refused this too; the error that ended the command is
      // the one the user needs to see, and it is already on its way.
    } catch (const std::bad_alloc&) {
      // As above: the original error is reported.
    }
  }
  CaptureCommandScope(const CaptureCommandScope&) = delete;
  CaptureCommandScope& operator=(const CaptureCommandScope&) = delete;

  void PutCallbackEnabled(bool enabled) {
    view_.Morvane1().PutCallbackEnabled(enabled);
    State().callback_enabled = enabled;
  }

 private:
  SampleView& view_;
  std::int16_t stop_flag_before_;
  bool callback_before_;
  bool nested_;
  int exceptions_;
};

}  // namespace

void CaptureToFile(SampleView& view) {
  CaptureCommandScope scope(view);
  view.SetStopFlag(kFalse);
  const int answer = view.ShowMessage(kCallbackQuestion, MB_YESNO | MB_ICONQUESTION);
  MorvaneControl& control = view.Morvane1();
  scope.PutCallbackEnabled(answer == IDYES);
  control.PutCaptureRate(convert::LeadingNumber(view.At(kCaptureRateField).Text()));
  control.PutTimeLimit(convert::LeadingNumber(view.At(kTimeLimitField).Text()));
  control.StartCapture();
  scope.PutCallbackEnabled(false);
  view.SetStopFlag(kTrue);
}

void StreamCapture(SampleView& view) {
  StreamForm::Instance().Show();
  CaptureCommandScope scope(view);
  view.SetStopFlag(kFalse);
  scope.PutCallbackEnabled(true);
  view.Morvane1().StartStreamCapture();
  view.SetStopFlag(kTrue);
  scope.PutCallbackEnabled(false);
}

void SaveCaptureFile(SampleView& view) { view.Morvane1().SaveCaptureFile(view.At(kSaveFileField).Text()); }

}  // namespace sample
