#include "clip_window/clip_form.h"
#include "commands/commands.h"

namespace sample {

void SaveBitmap(SampleView& view) { view.Morvane1().SaveBitmap(view.At(kBitmapFileField).Text()); }

void CopyToClipboard(SampleView& view) { view.Morvane1().CopyToClipboard(); }

void ShowClipboard(SampleView&) {
  ClipForm::Instance().Show();
  ClipForm::Instance().GetClipBoard();
}

}  // namespace sample
