#include "commands.h"

namespace sample {
namespace {

// Which button runs which command.
struct CommandRow {
  int button;
  void (*run)(SampleView&);
};

constexpr CommandRow kCommands[] = {
    {1, &CaptureToFile},     {12, &StreamCapture},    {2, &SaveCaptureFile},  {3, &FormatDialog},
    {4, &SourceDialog},      {5, &AudioDialog},       {11, &CompressionDialog}, {10, &ApplyCaptureSize},
    {13, &ApplyPreviewSize}, {7, &SaveBitmap},        {8, &CopyToClipboard},  {9, &ShowClipboard},
};

}  // namespace

void BindCommands(SampleView& view) {
  for (const CommandRow& row : kCommands) {
    view.Command(row.button).OnClick([&view, run = row.run] { run(view); });
  }
  view.Combo1().OnClick([&view] { SelectDevice(view); });
}

}  // namespace sample
