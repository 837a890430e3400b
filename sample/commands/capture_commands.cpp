#include <exception>
#include <new>

#include "commands.h"
#include "leading_number.h"
#include "runtime_error.h"
#include "stream_form.h"

namespace sample {
namespace {

constexpr wchar_t kCallbackQuestion[] = L"ｺｰﾙﾊﾞｯｸしますか？";

// A capture command that fails part-way must not leave StopFlag False: the
// close guard would then refuse to close the window for good. On the way out
// of a failure it puts StopFlag back to True and switches the frame
// callbacks off, before the error reaches the report.
class CaptureFailureGuard {
 public:
  explicit CaptureFailureGuard(SampleView& view) : view_(view), exceptions_(std::uncaught_exceptions()) {}
  ~CaptureFailureGuard() {
    if (std::uncaught_exceptions() <= exceptions_) return;
    view_.SetStopFlag(kTrue);
    try {
      view_.Morvane1().PutCallbackEnabled(false);
    } catch (const convert::RuntimeError&) {
      // The control refused this too; the error that ended the command is
      // the one the user needs to see, and it is already on its way.
    } catch (const std::bad_alloc&) {
      // As above: the original error is reported.
    }
  }
  CaptureFailureGuard(const CaptureFailureGuard&) = delete;
  CaptureFailureGuard& operator=(const CaptureFailureGuard&) = delete;

 private:
  SampleView& view_;
  int exceptions_;
};

}  // namespace

void CaptureToFile(SampleView& view) {
  view.SetStopFlag(kFalse);
  CaptureFailureGuard guard(view);
  const int answer = view.ShowMessage(kCallbackQuestion, MB_YESNO | MB_ICONQUESTION);
  MorvaneControl& control = view.Morvane1();
  control.PutCallbackEnabled(answer == IDYES);
  control.PutCaptureRate(convert::LeadingNumber(view.Text(3).Text()));
  control.PutTimeLimit(convert::LeadingNumber(view.Text(5).Text()));
  control.StartCapture();
  control.PutCallbackEnabled(false);
  view.SetStopFlag(kTrue);
}

void StreamCapture(SampleView& view) {
  StreamForm::Instance().Show();
  view.SetStopFlag(kFalse);
  CaptureFailureGuard guard(view);
  MorvaneControl& control = view.Morvane1();
  control.PutCallbackEnabled(true);
  control.StartStreamCapture();
  view.SetStopFlag(kTrue);
  control.PutCallbackEnabled(false);
}

void SaveCaptureFile(SampleView& view) { view.Morvane1().SaveCaptureFile(view.Text(1).Text()); }

}  // namespace sample
