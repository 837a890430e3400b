// The compression dialog and the compression a capture uses: uncompressed,
// the built-in Motion JPEG with its quality, a compressed camera's own
// frames as they come, and the video compressors installed on the machine.
#include <cstdlib>
#include <iterator>

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
};

std::vector<CompressionChoice> CompressionChoices(bool compressed_camera) {
  std::vector<CompressionChoice> choices{{kCompressionNone, UiText(TextId::kUncompressed)},
                                         {kCompressionMotionJpeg, UiText(TextId::kMotionJpeg)}};
  if (compressed_camera) choices.push_back({kCompressionAsDelivered, UiText(TextId::kAsDelivered)});
  for (const InstalledCompressor& compressor : InstalledCompressors()) {
    choices.push_back({static_cast<int>(compressor.handler), compressor.name + L" (" + FourCcText(compressor.handler) + L")"});
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
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  if (!RunChoiceDialog(ModuleInstance(), owner, UiText(TextId::kCompressionTitle), fields)) return S_OK;
  // A running capture keeps the compression it started with.
  settings_.compression = choices[static_cast<size_t>(fields[0].selected)].setting;
  settings_.compression_quality = kQualities[fields[1].selected];
  PersistSettings({SettingId::kCompression, SettingId::kCompressionQuality});
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
  if (!IsCompressorInstalled(handler)) {
    FireError(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), UiText(TextId::kCompressorGone));
    settings_.compression = kCompressionNone;
    PersistSettings({SettingId::kCompression});
    return compression;
  }
  compression.kind = VideoCompression::Kind::kInstalled;
  compression.handler = handler;
  return compression;
}

}  // namespace morvane
