// Starting a capture: the checks before it, the request it runs on, then
// one CaptureSession that runs it and returns when it ends; and what the
// session asks of the control meanwhile, apart from the events
// (control_events.cpp).
#include <exception>
#include <optional>

#include "audio/audio_inputs.h"
#include "capture_session.h"
#include "control.h"
#include "control_window.h"

namespace morvane {

HRESULT Control::StartCapture(const VARIANT*, VARIANT*) { return RunCapture(true); }

HRESULT Control::StartStreamCapture(const VARIANT*, VARIANT*) { return RunCapture(false); }

CaptureRequest Control::MakeCaptureRequest(VideoDevice& device, const FrameFormat& format, bool to_file,
                                           const AudioInputChoice& audio_input) {
  CaptureRequest request;
  request.format = format;
  if (to_file) request.file = settings_.capture_file;
  request.rate = settings_.capture_rate;
  if (settings_.time_limit_enabled) request.time_limit_seconds = settings_.time_limit;
  if (to_file && settings_.audio_recording) {
    AudioFormat audio;
    audio.samples_per_second = static_cast<std::uint32_t>(settings_.audio_samples_per_second);
    audio.bits_per_sample = static_cast<std::uint16_t>(settings_.audio_bits_per_sample);
    audio.channels = static_cast<std::uint16_t>(settings_.audio_channels);
    request.audio = audio;
    request.audio_input = audio_input;
  }
  if (to_file) request.compression = CaptureCompression(device);
  request.stop_on_left_click = settings_.stop_on_left_click;
  request.stop_on_right_click = settings_.stop_on_right_click;
  return request;
}

HRESULT Control::RunCapture(bool to_file) {
  if (capture_.capturing) return Fail(MessageId::kCaptureRunning);
  VideoDevice* device = CurrentDevice();
  if (!device) return Fail(MessageId::kNoDevice);
  FrameFormat format = CaptureFormat();
  if (!IsValidFrameFormat(format)) return Fail(MessageId::kFrameSizeOutOfRange);
  if (to_file) {
    if (const std::optional<MessageId> fault = FileNameFault(settings_.capture_file)) return Fail(*fault);
  }
  // An input chosen and gone, or none at all: the capture does not start.
  // A file without the sound the user asked for (or with another
  // microphone's) is found out only later, when the take is lost.
  AudioInputChoice audio_input;
  if (to_file && settings_.audio_recording) {
    audio_input = ResolveAudioInput(settings_.audio_input, device->Live() != nullptr, ListAudioInputs());
    if (audio_input.kind == AudioInputKind::kMissing) {
      if (settings_.audio_input.empty()) return FailWith(CTL_E_DEVICEUNAVAILABLE, UiText(TextId::kNoAudioInput));
      return FailWith(CTL_E_DEVICEUNAVAILABLE, UiText(TextId::kAudioInputMissing) + settings_.audio_input +
                                                    UiText(TextId::kAudioInputMissingEnd));
    }
  }
  if (settings_.confirm_before_capture) {
    HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
    if (::MessageBoxW(owner, UiText(TextId::kConfirmCapture), UiText(TextId::kBoxCaption),
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
      return S_OK;
    }
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
  const CaptureRequest request = MakeCaptureRequest(*device, format, to_file, audio_input);
  CaptureFailure failure;
  {
    std::optional<CaptureSession> session;
    try {
      CaptureHost& host = *this;
      session.emplace(request, *device, host, capture_, failure);
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

void Control::CaptureStarting() {
  if (window_) ::KillTimer(window_, kPreviewTimer);
}

void Control::ShowCaptureStatus(const wchar_t* text) { SetStatus(text); }

void Control::DrawCaptureFrame(const FrameFormat& format, const std::uint8_t* bits) {
  if (!preview_ || !window_) return;
  WindowDc dc(window_);
  RECT client{};
  ::GetClientRect(window_, &client);
  if (dc.get()) DrawFrame(dc.get(), client, format, bits, false);
}

void Control::KeepLastFrame(const FrameFormat& format, const std::uint8_t* bits) noexcept {
  // Without memory for it the still commands render a fresh frame instead.
  still_format_ = format;
  try {
    still_bits_.assign(bits, bits + format.ImageSize());
    still_captured_ = true;
  } catch (...) {
    still_bits_.clear();
  }
}

void Control::CaptureFailed(HRESULT scode, const wchar_t* text) { FireError(scode, text); }

void Control::CaptureWarning(HRESULT scode, const wchar_t* text) { FireError(scode, text); }

void Control::CaptureEnded() { UpdatePreviewTimer(); }

}  // namespace morvane
