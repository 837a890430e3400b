// The device dialogs: format, source and audio (compression has its own
// file, control_compression.cpp). Each is a table of choices shown by the
// shared choice dialog; OK applies them.
#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_inputs.h"
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

// The choices of one format field that the input records in with some
// choice of the other two; `values` maps a choice to the fields it sets.
template <size_t N, typename Accepts>
ChoiceField AudioField(const wchar_t* label, const AudioChoice (&choices)[N], int current, std::vector<int>& values,
                       Accepts accepts) {
  ChoiceField field{label, {}, 0};
  for (size_t pass = 0; pass < 2 && field.choices.empty(); ++pass) {
    // An input that accepts none of them (it has gone meanwhile) is offered
    // them all; the capture then says what is wrong.
    for (size_t i = 0; i < N; ++i) {
      if (pass == 0 && !accepts(choices[i].value)) continue;
      field.choices.push_back(choices[i].text);
      values.push_back(choices[i].value);
      if (choices[i].value == current) field.selected = static_cast<int>(values.size() - 1);
    }
  }
  return field;
}

// The input a stored name stands for with this device, as the wave-in
// number to ask about formats; nullopt for the tone, which takes any.
std::optional<UINT> InputToAsk(const std::wstring& name, bool camera, const std::vector<std::wstring>& inputs) {
  const AudioInputChoice choice = ResolveAudioInput(name, camera, inputs);
  switch (choice.kind) {
    case AudioInputKind::kDefaultInput:
      return WAVE_MAPPER;
    case AudioInputKind::kInput:
      return choice.index;
    case AudioInputKind::kTone:
    case AudioInputKind::kMissing:
      break;
  }
  return std::nullopt;
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
  const std::vector<std::wstring> inputs = ListAudioInputs();
  VideoDevice* device = CurrentDevice();
  const bool camera = device && device->Live();
  // The inputs by name, after the automatic choice; one chosen before and
  // gone stays listed, so OK does not quietly change it.
  ChoiceField input_field{UiText(TextId::kAudioInputField), {UiText(TextId::kAudioInputAuto)}, 0};
  std::vector<std::wstring> input_names{L""};
  for (const std::wstring& name : inputs) {
    if (name.empty() || std::find(input_names.begin(), input_names.end(), name) != input_names.end()) continue;
    input_names.push_back(name);
  }
  if (std::find(input_names.begin(), input_names.end(), settings_.audio_input) == input_names.end()) {
    input_names.push_back(settings_.audio_input);
  }
  for (size_t i = 1; i < input_names.size(); ++i) input_field.choices.push_back(input_names[i]);
  input_field.selected =
      static_cast<int>(std::find(input_names.begin(), input_names.end(), settings_.audio_input) - input_names.begin());

  // The formats offered are those the current input records in.
  const std::optional<UINT> asked = InputToAsk(settings_.audio_input, camera, inputs);
  auto accepts = [&](int rate, int bits, int channels) {
    return !asked || InputAcceptsFormat(*asked, AudioFormat{static_cast<std::uint32_t>(rate),
                                                           static_cast<std::uint16_t>(bits),
                                                           static_cast<std::uint16_t>(channels)});
  };
  auto any_rate = [&](auto&& test) {
    for (const AudioChoice& rate : kSampleRates) {
      if (test(rate.value)) return true;
    }
    return false;
  };
  auto any_bits = [&](auto&& test) {
    for (const AudioChoice& bits : kSampleBits) {
      if (test(bits.value)) return true;
    }
    return false;
  };
  auto any_channels = [&](auto&& test) {
    for (const AudioChoice& channels : kChannels) {
      if (test(channels.value)) return true;
    }
    return false;
  };
  std::vector<int> rates, bits, channels;
  std::vector<ChoiceField> fields{
      input_field,
      AudioField(UiText(TextId::kSampleRateField), kSampleRates, settings_.audio_samples_per_second, rates,
                 [&](int r) { return any_bits([&](int b) { return any_channels([&](int c) { return accepts(r, b, c); }); }); }),
      AudioField(UiText(TextId::kBitsField), kSampleBits, settings_.audio_bits_per_sample, bits,
                 [&](int b) { return any_rate([&](int r) { return any_channels([&](int c) { return accepts(r, b, c); }); }); }),
      AudioField(UiText(TextId::kChannelsField), kChannels, settings_.audio_channels, channels,
                 [&](int c) { return any_rate([&](int r) { return any_bits([&](int b) { return accepts(r, b, c); }); }); }),
  };
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, UiText(TextId::kAudioTitle), fields)) return S_OK;
  const std::wstring& name = input_names[static_cast<size_t>(fields[0].selected)];
  const AudioFormat chosen{static_cast<std::uint32_t>(rates[static_cast<size_t>(fields[1].selected)]),
                           static_cast<std::uint16_t>(bits[static_cast<size_t>(fields[2].selected)]),
                           static_cast<std::uint16_t>(channels[static_cast<size_t>(fields[3].selected)])};
  // A newly chosen input may not take the format: say so and keep the old
  // choice rather than store one that cannot record.
  const std::optional<UINT> chosen_input = InputToAsk(name, camera, inputs);
  if (chosen_input && !InputAcceptsFormat(*chosen_input, chosen)) {
    return FailWith(CTL_E_INVALIDPROPERTYVALUE,
                    UiText(TextId::kAudioFormatRefused) + AudioFormatText(chosen) + UiText(TextId::kAudioFormatRefusedEnd));
  }
  settings_.audio_input = name;
  settings_.audio_samples_per_second = static_cast<int>(chosen.samples_per_second);
  settings_.audio_bits_per_sample = chosen.bits_per_sample;
  settings_.audio_channels = chosen.channels;
  PersistSettings({SettingId::kAudioInput, SettingId::kAudioSamplesPerSecond, SettingId::kAudioBitsPerSample,
                   SettingId::kAudioChannels});
  return S_OK;
}

}  // namespace morvane
