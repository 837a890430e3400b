// Starting a capture: the checks before it, then one CaptureSession that
// runs it and returns when it ends.
#include <exception>
#include <optional>

#include "capture_session.h"
#include "control.h"

namespace morvane {

HRESULT Control::StartCapture(const VARIANT*, VARIANT*) { return RunCapture(true); }

HRESULT Control::StartStreamCapture(const VARIANT*, VARIANT*) { return RunCapture(false); }

void Control::RequestStop(StopReason reason) {
  if (stop_requested_) return;
  stop_requested_ = true;
  stop_reason_ = reason;
}

HRESULT Control::RunCapture(bool to_file) {
  if (capturing_) return Fail(MessageId::kCaptureRunning);
  VideoDevice* device = CurrentDevice();
  if (!device) return Fail(MessageId::kNoDevice);
  FrameFormat format = CaptureFormat();
  if (!IsValidFrameFormat(format)) return Fail(MessageId::kFrameSizeOutOfRange);
  if (to_file && settings_.capture_file.find_first_not_of(L" \t") == std::wstring::npos) {
    return Fail(MessageId::kEmptyFileName);
  }
  if (settings_.confirm_before_capture) {
    HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
    if (::MessageBoxW(owner, UiText(TextId::kConfirmCapture), UiText(TextId::kBoxCaption), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return S_OK;
  }
  // A host may release us from inside an event; we stay alive until the end.
  ComPtr<IDispatch> self(this);
  // A camera captures at the size it really delivers, the nearest it has
  // to ours. One that does not start still gets a finished (empty) file and
  // the end-of-capture events, as any capture that fails.
  std::exception_ptr device_failure;
  if (LiveFeed* feed = device->Live()) {
    try {
      format = feed->StartFeed(format);
    } catch (...) {
      device_failure = std::current_exception();
    }
  }
  CaptureFailure failure;
  {
    std::optional<CaptureSession> session;
    try {
      session.emplace(*this, *device, format, to_file, failure);
    } catch (...) {
      // The file could not be made: a camera started for this capture goes
      // back to rest unless a preview shows it.
      UpdatePreviewTimer();
      throw;
    }
    session->Run(device_failure);
  }
  if (failure) return FailWith(failure.scode(), failure.text());
  return S_OK;
}

}  // namespace morvane
