#include "commands/commands.h"
#include "convert/leading_number.h"
#include "convert/number_to_text.h"
#include "convert/value_read.h"

namespace sample {

void SelectDevice(SampleView& view) { view.Morvane1().PutDeviceIndex(view.At(kDeviceList).Selected()); }

void FormatDialog(SampleView& view) {
  MorvaneControl& control = view.Morvane1();
  control.ShowFormatDialog();
  // Re-read even after a cancelled dialog: the size is the control's.
  view.At(kCaptureWidthField).SetText(convert::NumberToText(control.CaptureWidth()));
  view.At(kCaptureHeightField).SetText(convert::NumberToText(control.CaptureHeight()));
}

void SourceDialog(SampleView& view) { view.Morvane1().ShowSourceDialog(); }
void AudioDialog(SampleView& view) { view.Morvane1().ShowAudioDialog(); }
void CompressionDialog(SampleView& view) { view.Morvane1().ShowCompressionDialog(); }

void ApplyCaptureSize(SampleView& view) {
  MorvaneControl& control = view.Morvane1();
  control.PutCaptureWidth(convert::LeadingNumber(view.At(kCaptureWidthField).Text()));
  control.PutCaptureHeight(convert::LeadingNumber(view.At(kCaptureHeightField).Text()));
}

void ApplyPreviewSize(SampleView& view) {
  MorvaneControl& control = view.Morvane1();
  control.PutWidth(convert::ToSingle(convert::LeadingNumber(view.At(kPreviewWidthField).Text())));
  control.PutHeight(convert::ToSingle(convert::LeadingNumber(view.At(kPreviewHeightField).Text())));
}

}  // namespace sample
