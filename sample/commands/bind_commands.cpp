#include "commands/commands.h"

namespace sample {
namespace {

// Which button runs which command.
struct CommandRow {
  ButtonName button;
  void (*run)(SampleView&);
};

constexpr CommandRow kCommands[] = {
    {kCaptureButton, &CaptureToFile},
    {kStreamCaptureButton, &StreamCapture},
    {kSaveButton, &SaveCaptureFile},
    {kFormatButton, &FormatDialog},
    {kSourceButton, &SourceDialog},
    {kAudioButton, &AudioDialog},
    {kCompressionButton, &CompressionDialog},
    {kCaptureSizeButton, &ApplyCaptureSize},
    {kPreviewSizeButton, &ApplyPreviewSize},
    {kBitmapButton, &SaveBitmap},
    {kCopyButton, &CopyToClipboard},
    {kShowClipboardButton, &ShowClipboard},
};

}  // namespace

void BindCommands(SampleView& view) {
  for (const CommandRow& row : kCommands) {
    view.At(row.button).OnClick([&view, run = row.run] { run(view); });
  }
  view.At(kDeviceList).OnClick([&view] { SelectDevice(view); });
}

}  // namespace sample
