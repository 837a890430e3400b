#include "main_window/startup_sequence.h"

#include "convert/number_to_text.h"
#include "convert/runtime_error.h"
#include "forms/startup_timeline.h"

namespace sample {

const wchar_t kNoDevicesEntry[] = L"No Devices";

namespace {

std::int16_t CheckedFrom(bool condition) { return condition ? 1 : 0; }

std::int16_t Decrement(std::int16_t value) {
  if (value == INT16_MIN) throw convert::RuntimeError::Overflow();
  return static_cast<std::int16_t>(value - 1);
}

std::int16_t Increment(std::int16_t value) {
  if (value == INT16_MAX) throw convert::RuntimeError::Overflow();
  return static_cast<std::int16_t>(value + 1);
}

}  // namespace

void FillDeviceList(SampleView& view) {
  MorvaneControl& control = view.Morvane1();
  forms::ComboBox& list = view.At(kDeviceList);
  if (control.DeviceCount() == 0) {
    list.Add(kNoDevicesEntry);
    return;
  }
  // The last index is fixed before the first name is asked for; the control
  // gets a reference to the running counter itself.
  const std::int16_t last = Decrement(control.DeviceCount());
  for (std::int16_t i = 0; i <= last; i = Increment(i)) {
    list.Add(control.DeviceName(i));
  }
}

void RunStartUp(SampleView& view) {
  MorvaneControl& control = view.Morvane1();
  view.At(kPreviewBox).SetState(CheckedFrom(control.Preview()));
  view.At(kAudioBox).SetState(CheckedFrom(control.AudioRecording()));
  // The time-limit box follows the limit's value; its click then switches
  // the limit on in the control.
  view.At(kTimeLimitBox).SetState(CheckedFrom(control.TimeLimit() != 0));
  view.At(kConfirmBox).SetState(CheckedFrom(control.ConfirmBeforeCapture()));
  view.At(kOverlayBox).SetState(CheckedFrom(control.Overlay()));
  view.At(kOverlayBox).SetEnabled(control.HasOverlay());
  view.At(kStopOnLeftClickBox).SetState(CheckedFrom(control.StopOnLeftClick()));
  view.At(kStopOnRightClickBox).SetState(CheckedFrom(control.StopOnRightClick()));
  forms::MarkStartup("start-up: check boxes");
  view.At(kCaptureFileField).SetText(control.CaptureFileName());
  view.At(kCaptureRateField).SetText(convert::NumberToText(control.CaptureRate()));
  view.At(kTimeLimitField).SetText(convert::NumberToText(control.TimeLimit()));
  view.At(kFormatButton).SetEnabled(control.HasFormatDialog());
  view.At(kSourceButton).SetEnabled(control.HasSourceDialog());
  view.At(kCaptureWidthField).SetText(convert::NumberToText(control.CaptureWidth()));
  view.At(kCaptureHeightField).SetText(convert::NumberToText(control.CaptureHeight()));
  view.At(kPreviewWidthField).SetText(convert::NumberToText(control.Width()));
  view.At(kPreviewHeightField).SetText(convert::NumberToText(control.Height()));
  forms::MarkStartup("start-up: fields");
  view.At(kCaptureRatioLock).SetState(1);
  view.At(kPreviewRateField).SetText(convert::NumberToText(control.PreviewRate()));
  control.PutStatusWindow(view.At(kStatusField).hwnd());
  forms::MarkStartup("start-up: preview rate and status window");
  view.At(kDeviceList).Clear();
  FillDeviceList(view);
  view.At(kDeviceList).SetSelected(0);
  forms::MarkStartup("start-up: device list");
  view.SetStopFlag(kTrue);
}

}  // namespace sample
