// The device dialogs: format, source and audio (compression has its own
// file, control_compression.cpp). Each is a table of choices shown by the
// shared choice dialog; OK applies them.
#include <iterator>

#include "choice_dialog.h"
#include "control.h"
#include "core/capture_error.h"
#include "module.h"

namespace morvane {
namespace {


struct AudioChoice {
  int value;
  const wchar_t* text;
};
const AudioChoice kSampleRates[] = {{11025, L"11,025 Hz"}, {22050, L"22,050 Hz"}, {44100, L"44,100 Hz"}};
const AudioChoice kSampleBits[] = {{8, UiText(TextId::kBits8)}, {16, UiText(TextId::kBits16)}};
const AudioChoice kChannels[] = {{1, UiText(TextId::kMono)}, {2, UiText(TextId::kStereo)}};

template <size_t N>
ChoiceField AudioField(const wchar_t* label, const AudioChoice (&choices)[N], int current) {
  ChoiceField field{label, {}, 0};
  for (size_t i = 0; i < N; ++i) {
    field.choices.push_back(choices[i].text);
    if (choices[i].value == current) field.selected = static_cast<int>(i);
  }
  return field;
}

std::wstring SizeText(const FrameSize& size) {
  return std::to_wstring(size.width) + L" x " + std::to_wstring(size.height);
}

}  // namespace

HRESULT Control::ShowFormatDialog(const VARIANT*, VARIANT*) {
  VideoDevice* device = CurrentDevice();
  if (!device) return Fail(MessageId::kNoDevice);
  if (!device->HasFormatDialog()) return Fail(MessageId::kNoFormatDialog);
  if (capture_.capturing) return Fail(MessageId::kCaptureRunning);
  const std::vector<FrameSize> sizes = device->Sizes();
  // A camera names its own formats (size, layout, rate); ours are sizes.
  const std::vector<std::wstring> labels = device->FormatLabels();
  if (sizes.empty()) return Fail(MessageId::kNoFormatDialog);
  ChoiceField size_field{UiText(labels.empty() ? TextId::kSizeField : TextId::kFormatField), {}, 0};
  for (size_t i = 0; i < sizes.size(); ++i) {
    size_field.choices.push_back(i < labels.size() ? labels[i] : SizeText(sizes[i]));
    if (sizes[i].width == settings_.capture_width && sizes[i].height == settings_.capture_height) {
      size_field.selected = static_cast<int>(i);
    }
  }
  std::vector<ChoiceField> fields{size_field, {UiText(TextId::kColourField), {UiText(TextId::kColour24Bits)}, 0}};
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, UiText(TextId::kFormatTitle), fields)) return S_OK;
  const FrameSize& chosen = sizes[static_cast<size_t>(fields[0].selected)];
  device->PreferFormat(fields[0].selected);
  settings_.capture_width = chosen.width;
  settings_.capture_height = chosen.height;
  PersistSettings({SettingId::kCaptureWidth, SettingId::kCaptureHeight});
  if (window_) ::InvalidateRect(window_, nullptr, FALSE);
  return S_OK;
}

HRESULT Control::ShowSourceDialog(const VARIANT*, VARIANT*) {
  VideoDevice* device = CurrentDevice();
  if (!device) return Fail(MessageId::kNoDevice);
  if (!device->HasSourceDialog()) return Fail(MessageId::kNoSourceDialog);
  HWND pages_owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  // A camera's settings are its own property pages; a camera whose pages
  // do not open says why, instead of an empty dialog of ours.
  try {
    if (device->ShowPropertyPages(pages_owner)) return S_OK;
  } catch (const CaptureError& error) {
    return FailWith(CTL_E_DEVICEUNAVAILABLE, error.message());
  }
  ChoiceField picture{UiText(TextId::kPictureField), {}, device->SelectedSource()};
  for (const wchar_t* choice : device->SourceChoices()) picture.choices.push_back(choice);
  std::vector<ChoiceField> fields{picture};
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, UiText(TextId::kSourceTitle), fields)) return S_OK;
  device->SelectSource(fields[0].selected);
  PersistSettings({SettingId::kSourcePattern});
  return S_OK;
}

HRESULT Control::ShowAudioDialog(const VARIANT*, VARIANT*) {
  if (capture_.capturing) return Fail(MessageId::kCaptureRunning);
  std::vector<ChoiceField> fields{
      AudioField(UiText(TextId::kSampleRateField), kSampleRates, settings_.audio_samples_per_second),
      AudioField(UiText(TextId::kBitsField), kSampleBits, settings_.audio_bits_per_sample),
      AudioField(UiText(TextId::kChannelsField), kChannels, settings_.audio_channels),
  };
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, UiText(TextId::kAudioTitle), fields)) return S_OK;
  settings_.audio_samples_per_second = kSampleRates[fields[0].selected].value;
  settings_.audio_bits_per_sample = kSampleBits[fields[1].selected].value;
  settings_.audio_channels = kChannels[fields[2].selected].value;
  PersistSettings({SettingId::kAudioSamplesPerSecond, SettingId::kAudioBitsPerSample, SettingId::kAudioChannels});
  return S_OK;
}

}  // namespace morvane
