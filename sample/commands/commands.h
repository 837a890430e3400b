// The main window's command buttons and the device list, as functions over
// the window's view. Each is one click handler.
#pragma once

#include "options/sample_view.h"

namespace sample {

// Installs every command of this folder on the view's widgets.
void BindCommands(SampleView& view);

// capture_commands.cpp
void CaptureToFile(SampleView& view);
void StreamCapture(SampleView& view);
void SaveCaptureFile(SampleView& view);

// device_commands.cpp
void SelectDevice(SampleView& view);
void FormatDialog(SampleView& view);
void SourceDialog(SampleView& view);
void AudioDialog(SampleView& view);
void CompressionDialog(SampleView& view);
void ApplyCaptureSize(SampleView& view);
void ApplyPreviewSize(SampleView& view);

// still_commands.cpp
void SaveBitmap(SampleView& view);
void CopyToClipboard(SampleView& view);
void ShowClipboard(SampleView& view);

}  // namespace sample
