#include "startup_sequence.h"

#include "number_to_text.h"
#include "runtime_error.h"
#include "startup_timeline.h"

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
  forms::ComboBox& list = view.Combo1();
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
  view.Check(1).SetState(CheckedFrom(control.Preview()));
  view.Check(3).SetState(CheckedFrom(control.AudioRecording()));
  // The time-limit box follows the limit's value; its click then switches
  // the limit on in the control.
  view.Check(4).SetState(CheckedFrom(control.TimeLimit() != 0));
  view.Check(5).SetState(CheckedFrom(control.ConfirmBeforeCapture()));
  view.Check(6).SetState(CheckedFrom(control.Overlay()));
  view.Check(6).SetEnabled(control.HasOverlay());
  view.Check(8).SetState(CheckedFrom(control.StopOnLeftClick()));
  view.Check(9).SetState(CheckedFrom(control.StopOnRightClick()));
  forms::MarkStartup("start-up: check boxes");
  view.Text(2).SetText(control.CaptureFileName());
  view.Text(3).SetText(convert::NumberToText(control.CaptureRate()));
  view.Text(5).SetText(convert::NumberToText(control.TimeLimit()));
  view.Command(3).SetEnabled(control.HasFormatDialog());
  view.Command(4).SetEnabled(control.HasSourceDialog());
  view.Text(7).SetText(convert::NumberToText(control.CaptureWidth()));
  view.Text(8).SetText(convert::NumberToText(control.CaptureHeight()));
  view.Text(10).SetText(convert::NumberToText(control.Width()));
  view.Text(11).SetText(convert::NumberToText(control.Height()));
  forms::MarkStartup("start-up: fields");
  view.Check(7).SetState(1);
  view.Text(9).SetText(convert::NumberToText(control.PreviewRate()));
  control.PutStatusWindow(view.Text(4).hwnd());
  forms::MarkStartup("start-up: preview rate and status window");
  view.Combo1().Clear();
  FillDeviceList(view);
  view.Combo1().SetSelected(0);
  forms::MarkStartup("start-up: device list");
  view.SetStopFlag(kTrue);
}

}  // namespace sample
