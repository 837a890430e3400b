// The compression dialog and the compression a capture uses: uncompressed,
// the built-in Motion JPEG with its quality, a compressed camera's own
// frames as they come, and the video compressors installed on the machine.
#include <cstdlib>
#include <iterator>
#include <map>

#include "choice_dialog.h"
#include "codec/vfw_codecs.h"
#include "control.h"
#include "module.h"

namespace morvane {
namespace {

// The qualities offered, best first.
const int kQualities[] = {100, 95, 90, 85, 80, 75, 70, 60, 50, 40, 30, 20, 10};

struct CompressionChoice {
  int setting;  // Settings::compression
  std::wstring text;
  bool installed = false;  // a compressor of the machine's, not one of ours
  bool configurable = false;
  bool has_about = false;
};

std::vector<CompressionChoice> CompressionChoices(bool compressed_camera) {
  std::vector<CompressionChoice> choices{{kCompressionNone, UiText(TextId::kUncompressed)},
                                         {kCompressionMotionJpeg, UiText(TextId::kMotionJpeg)}};
  if (compressed_camera) choices.push_back({kCompressionAsDelivered, UiText(TextId::kAsDelivered)});
  for (const InstalledCompressor& compressor : InstalledCompressors()) {
    choices.push_back({static_cast<int>(compressor.handler),
                       compressor.name + L" (" + FourCcText(compressor.handler) + L")", true, compressor.configurable,
                       compressor.has_about});
  }
  return choices;
}

ChoiceField QualityField(int quality) {
  ChoiceField field{UiText(TextId::kQualityField), {}, 0};
  for (size_t i = 0; i < std::size(kQualities); ++i) {
    field.choices.push_back(std::to_wstring(kQualities[i]));
    // The nearest offered quality stands for a stored one between them.
    if (std::abs(kQualities[i] - quality) < std::abs(kQualities[field.selected] - quality)) {
      field.selected = static_cast<int>(i);
    }
  }
  return field;
}

// What the compressors' own dialogs left while the compression dialog is
// open, by handler; it reaches the settings only with OK.
using WorkingStates = std::map<std::uint32_t, CompressorState>;

// The compressor's settings and about buttons, for the choice in field 0.
std::vector<ChoiceAction> CompressorActions(const std::vector<CompressionChoice>& choices, WorkingStates& states) {
  auto handler_of = [&choices](const std::vector<int>& selected) {
    return static_cast<std::uint32_t>(choices[static_cast<size_t>(selected[0])].setting);
  };
  ChoiceAction configure{UiText(TextId::kConfigureButton),
                         [&choices](const std::vector<int>& selected) {
                           return choices[static_cast<size_t>(selected[0])].configurable;
                         },
                         [&states, handler_of](HWND dialog, const std::vector<int>& selected) {
                           const std::uint32_t handler = handler_of(selected);
                           ConfigureCompressor(handler, dialog, states[handler]);
                         }};
  ChoiceAction about{UiText(TextId::kAboutButton),
                     [&choices](const std::vector<int>& selected) {
                       return choices[static_cast<size_t>(selected[0])].has_about;
                     },
                     [handler_of](HWND dialog, const std::vector<int>& selected) {
                       ShowCompressorAbout(handler_of(selected), dialog);
                     }};
  return {configure, about};
}

}  // namespace

HRESULT Control::ShowCompressionDialog(const VARIANT*, VARIANT*) {
  VideoDevice* device = CurrentDevice();
  const std::vector<CompressionChoice> choices = CompressionChoices(device && device->DeliversCompressed());
  ChoiceField method{UiText(TextId::kCompressionField), {}, 0};
  for (size_t i = 0; i < choices.size(); ++i) {
    method.choices.push_back(choices[i].text);
    if (choices[i].setting == settings_.compression) method.selected = static_cast<int>(i);
  }
  std::vector<ChoiceField> fields{method, QualityField(settings_.compression_quality)};
  const auto stored = static_cast<std::uint32_t>(settings_.compression);
  WorkingStates states{{stored, CompressorStateFor(settings_, stored)}};
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, UiText(TextId::kCompressionTitle), fields,
                       CompressorActions(choices, states))) {
    return S_OK;
  }
  // A running capture keeps the compression it started with.
  const CompressionChoice& chosen = choices[static_cast<size_t>(fields[0].selected)];
  settings_.compression = chosen.setting;
  settings_.compression_quality = kQualities[fields[1].selected];
  // The built-in choices leave a compressor's settings for when it is chosen again.
  const auto handler = static_cast<std::uint32_t>(chosen.setting);
  if (chosen.installed) KeepCompressorState(settings_, handler, states[handler]);
  PersistSettings({SettingId::kCompression, SettingId::kCompressionQuality, SettingId::kCompressorState});
  return S_OK;
}

VideoCompression Control::CaptureCompression(VideoDevice& device) {
  VideoCompression compression;
  compression.quality = settings_.compression_quality;
  switch (settings_.compression) {
    case kCompressionNone:
      return compression;
    case kCompressionMotionJpeg:
    case kCompressionAsDelivered:
      // A camera that sends Motion JPEG already has it kept as it comes;
      // encoding its decoded frames again would only lose quality.
      if (device.DeliversCompressed()) {
        compression.kind = VideoCompression::Kind::kAsDelivered;
      } else if (settings_.compression == kCompressionMotionJpeg) {
        compression.kind = VideoCompression::Kind::kMotionJpeg;
      }
      return compression;
    default:
      break;
  }
  const auto handler = static_cast<std::uint32_t>(settings_.compression);
  CompressorState state = CompressorStateFor(settings_, handler);
  switch (CheckCompressor(handler, state)) {
    case CompressorCheck::kGone:
      FireError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), UiText(TextId::kCompressorGone));
      settings_.compression = kCompressionNone;
      PersistSettings({SettingId::kCompression});
      return compression;
    case CompressorCheck::kStateRefused:
      // An updated compressor may not read what its earlier version kept;
      // its defaults are still a capture the user asked for.
      FireError(HRESULT_FROM_WIN32(ERROR_INVALID_DATA), UiText(TextId::kCompressorStateRefused));
      state.clear();
      KeepCompressorState(settings_, handler, state);
      PersistSettings({SettingId::kCompressorState});
      break;
    case CompressorCheck::kReady:
      break;
  }
  compression.kind = VideoCompression::Kind::kInstalled;
  compression.handler = handler;
  compression.state = std::move(state);
  return compression;
}

}  // namespace morvane
