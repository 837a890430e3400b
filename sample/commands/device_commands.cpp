#include "commands.h"
#include "leading_number.h"
#include "number_to_text.h"
#include "value_read.h"

namespace sample {

void SelectDevice(SampleView& view) { view.Morvane1().PutDeviceIndex(view.Combo1().Selected()); }

void FormatDialog(SampleView& view) {
  MorvaneControl& control = view.Morvane1();
  control.ShowFormatDialog();
  // Re-read even after a cancelled dialog: the size is the control's.
  view.Text(7).SetText(convert::NumberToText(control.CaptureWidth()));
  view.Text(8).SetText(convert::NumberToText(control.CaptureHeight()));
}

void SourceDialog(SampleView& view) { view.Morvane1().ShowSourceDialog(); }
void AudioDialog(SampleView& view) { view.Morvane1().ShowAudioDialog(); }
void CompressionDialog(SampleView& view) { view.Morvane1().ShowCompressionDialog(); }

void ApplyCaptureSize(SampleView& view) {
  MorvaneControl& control = view.Morvane1();
  control.PutCaptureWidth(convert::LeadingNumber(view.Text(7).Text()));
  control.PutCaptureHeight(convert::LeadingNumber(view.Text(8).Text()));
}

void ApplyPreviewSize(SampleView& view) {
  MorvaneControl& control = view.Morvane1();
  control.PutWidth(convert::ToSingle(convert::LeadingNumber(view.Text(10).Text())));
  control.PutHeight(convert::ToSingle(convert::LeadingNumber(view.Text(11).Text())));
}

}  // namespace sample
