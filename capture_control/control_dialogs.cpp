// The device dialogs: format, source, audio and compression. Each is a
// table of choices shown by the shared choice dialog; OK applies them.
#include <iterator>

#include "choice_dialog.h"
#include "control.h"
#include "core/capture_error.h"
#include "module.h"

namespace morvane {
namespace {

const wchar_t kFormatTitle[] = L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ";
const wchar_t kSourceTitle[] = L"ﾋﾞﾃﾞｵ ｿｰｽ";
const wchar_t kAudioTitle[] = L"ｵｰﾃﾞｨｵ ﾌｫｰﾏｯﾄ";
const wchar_t kCompressionTitle[] = L"ﾋﾞﾃﾞｵ圧縮";

struct AudioChoice {
  int value;
  const wchar_t* text;
};
const AudioChoice kSampleRates[] = {{11025, L"11,025 Hz"}, {22050, L"22,050 Hz"}, {44100, L"44,100 Hz"}};
const AudioChoice kSampleBits[] = {{8, L"8 ﾋﾞｯﾄ"}, {16, L"16 ﾋﾞｯﾄ"}};
const AudioChoice kChannels[] = {{1, L"ﾓﾉﾗﾙ"}, {2, L"ｽﾃﾚｵ"}};

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
  if (capturing_) return Fail(MessageId::kCaptureRunning);
  const std::vector<FrameSize> sizes = device->Sizes();
  // A camera names its own formats (size, layout, rate); ours are sizes.
  const std::vector<std::wstring> labels = device->FormatLabels();
  if (sizes.empty()) return Fail(MessageId::kNoFormatDialog);
  ChoiceField size_field{labels.empty() ? L"ｻｲｽﾞ:" : L"形式:", {}, 0};
  for (size_t i = 0; i < sizes.size(); ++i) {
    size_field.choices.push_back(i < labels.size() ? labels[i] : SizeText(sizes[i]));
    if (sizes[i].width == settings_.capture_width && sizes[i].height == settings_.capture_height) {
      size_field.selected = static_cast<int>(i);
    }
  }
  std::vector<ChoiceField> fields{size_field, {L"色数:", {L"24 ﾋﾞｯﾄ (RGB)"}, 0}};
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, kFormatTitle, fields)) return S_OK;
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
  ChoiceField picture{L"映像:", {}, device->SelectedSource()};
  for (const wchar_t* choice : device->SourceChoices()) picture.choices.push_back(choice);
  std::vector<ChoiceField> fields{picture};
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, kSourceTitle, fields)) return S_OK;
  device->SelectSource(fields[0].selected);
  PersistSettings({SettingId::kSourcePattern});
  return S_OK;
}

HRESULT Control::ShowAudioDialog(const VARIANT*, VARIANT*) {
  if (capturing_) return Fail(MessageId::kCaptureRunning);
  std::vector<ChoiceField> fields{
      AudioField(L"ｻﾝﾌﾟﾘﾝｸﾞ ﾚｰﾄ:", kSampleRates, settings_.audio_samples_per_second),
      AudioField(L"ﾋﾞｯﾄ数:", kSampleBits, settings_.audio_bits_per_sample),
      AudioField(L"ﾁｬﾝﾈﾙ:", kChannels, settings_.audio_channels),
  };
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, kAudioTitle, fields)) return S_OK;
  settings_.audio_samples_per_second = kSampleRates[fields[0].selected].value;
  settings_.audio_bits_per_sample = kSampleBits[fields[1].selected].value;
  settings_.audio_channels = kChannels[fields[2].selected].value;
  PersistSettings({SettingId::kAudioSamplesPerSecond, SettingId::kAudioBitsPerSample, SettingId::kAudioChannels});
  return S_OK;
}

HRESULT Control::ShowCompressionDialog(const VARIANT*, VARIANT*) {
  // We write uncompressed frames only; the dialog says so rather than
  // offering codecs the writer could not use.
  std::vector<ChoiceField> fields{{L"圧縮方式:", {L"非圧縮 (全ﾌﾚｰﾑ)"}, 0}};
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  RunChoiceDialog(ModuleInstance(), owner, kCompressionTitle, fields);
  return S_OK;
}

}  // namespace morvane
