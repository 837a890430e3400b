// The main window's command buttons and the device list, as functions over
// the window's view. Each is one click handler.
#pragma once

#include "sample_view.h"

namespace sample {

// Installs every command of this folder on the view's widgets.
void BindCommands(SampleView& view);

// capture_commands.cpp
void CaptureToFile(SampleView& view);     // Command1
void StreamCapture(SampleView& view);     // Command12
void SaveCaptureFile(SampleView& view);   // Command2

// device_commands.cpp
void SelectDevice(SampleView& view);      // Combo1
void FormatDialog(SampleView& view);      // Command3
void SourceDialog(SampleView& view);      // Command4
void AudioDialog(SampleView& view);       // Command5
void CompressionDialog(SampleView& view); // Command11
void ApplyCaptureSize(SampleView& view);  // Command10
void ApplyPreviewSize(SampleView& view);  // Command13

// still_commands.cpp
void SaveBitmap(SampleView& view);        // Command7
void CopyToClipboard(SampleView& view);   // Command8
void ShowClipboard(SampleView& view);     // Command9

}  // namespace sample
