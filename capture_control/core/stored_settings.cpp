#include "stored_settings.h"

#include <cmath>
#include <iterator>

#include "frame_format.h"

namespace morvane {
namespace {

constexpr IntegerRange kFlagRange{0, 1};
constexpr IntegerRange kDeviceIndexRange{0, 32767};
constexpr IntegerRange kFrameSideRange{kMinFrameSide, kMaxFrameSide};
// Longer file names than this cannot be opened anyway.
constexpr std::size_t kMaxFileNameLength = 32767;
// Beyond this many integer digits a number is out of every range; counting
// stops there so no digit string can overflow.
constexpr std::int64_t kBeyondEveryRange = std::int64_t{1} << 40;

constexpr SettingRow Text(SettingId id, const wchar_t* name, std::wstring Settings::*member) {
  return {id, name, SettingKind::kText, nullptr, nullptr, member, nullptr, {0, 0}};
}
constexpr SettingRow Integer(SettingId id, const wchar_t* name, int Settings::*member, IntegerRange range) {
  return {id, name, SettingKind::kInteger, member, nullptr, nullptr, nullptr, range};
}
constexpr SettingRow Flag(SettingId id, const wchar_t* name, bool Settings::*member) {
  return {id, name, SettingKind::kFlag, nullptr, member, nullptr, nullptr, kFlagRange};
}
constexpr SettingRow Bytes(SettingId id, const wchar_t* name, std::vector<std::uint8_t> Settings::*member,
                           IntegerRange range) {
  return {id, name, SettingKind::kBytes, nullptr, nullptr, nullptr, member, range};
}

const SettingRow kRows[] = {
    Text(SettingId::kCaptureFileName, L"CaptureFileName", &Settings::capture_file),
    Integer(SettingId::kDeviceIndex, L"DeviceIndex", &Settings::device_index, kDeviceIndexRange),
    Integer(SettingId::kCaptureWidth, L"CaptureWidth", &Settings::capture_width, kFrameSideRange),
    Integer(SettingId::kCaptureHeight, L"CaptureHeight", &Settings::capture_height, kFrameSideRange),
    Integer(SettingId::kCaptureRate, L"CaptureRate", &Settings::capture_rate, kCaptureRateRange),
    Integer(SettingId::kPreviewRate, L"PreviewRate", &Settings::preview_rate, kPreviewRateRange),
    Integer(SettingId::kTimeLimit, L"TimeLimit", &Settings::time_limit, kTimeLimitRange),
    Flag(SettingId::kTimeLimitEnabled, L"TimeLimitEnabled", &Settings::time_limit_enabled),
    Flag(SettingId::kAudioRecording, L"AudioRecording", &Settings::audio_recording),
    Flag(SettingId::kConfirmBeforeCapture, L"ConfirmBeforeCapture", &Settings::confirm_before_capture),
    Flag(SettingId::kStopOnLeftClick, L"StopOnLeftClick", &Settings::stop_on_left_click),
    Flag(SettingId::kStopOnRightClick, L"StopOnRightClick", &Settings::stop_on_right_click),
    Integer(SettingId::kAudioSamplesPerSecond, L"AudioSamplesPerSecond", &Settings::audio_samples_per_second,
            IntegerRange{11025, 44100}),
    Integer(SettingId::kAudioBitsPerSample, L"AudioBitsPerSample", &Settings::audio_bits_per_sample,
            IntegerRange{8, 16}),
    Integer(SettingId::kAudioChannels, L"AudioChannels", &Settings::audio_channels, IntegerRange{1, 2}),
    Integer(SettingId::kSourcePattern, L"SourcePattern", &Settings::source_pattern, IntegerRange{0, 1}),
    // A blank name is not taken back, which leaves the automatic choice.
    Text(SettingId::kAudioInput, L"AudioInput", &Settings::audio_input),
    // A FOURCC's characters are printable, so its top byte never sets the sign.
    Integer(SettingId::kCompression, L"Compression", &Settings::compression, IntegerRange{0, 0x7FFFFFFF}),
    Integer(SettingId::kCompressionQuality, L"CompressionQuality", &Settings::compression_quality,
            IntegerRange{1, 100}),
    // A FOURCC and at least one byte of the compressor's own.
    Bytes(SettingId::kCompressorState, L"CompressorState", &Settings::compressor_state,
          IntegerRange{5, 4 + static_cast<std::int32_t>(kMaxCompressorState)}),
};

std::uint32_t StoredFourCc(const std::vector<std::uint8_t>& bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }


std::optional<std::int32_t> InRange(std::int64_t value, IntegerRange range) {
  if (!range.Contains(value)) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

const SettingRow* SettingRows() { return kRows; }
std::size_t SettingRowCount() { return std::size(kRows); }

const SettingRow& RowOf(SettingId id) {
  for (const SettingRow& row : kRows) {
    if (row.id == id) return row;
  }
  return kRows[0];  // every id has a row; the table test checks it
}

std::optional<std::int32_t> ParseStoredInteger(const std::wstring& text, IntegerRange range) {
  std::size_t at = 0;
  const bool negative = at < text.size() && text[at] == L'-';
  if (negative) ++at;
  const std::size_t first_digit = at;
  std::int64_t whole = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    if (whole < kBeyondEveryRange) whole = whole * 10 + (text[at] - L'0');
  }
  if (at == first_digit) return std::nullopt;
  if (at < text.size() && (text[at] == L'.' || text[at] == L',')) {
    ++at;
    const std::size_t first_fraction = at;
    int first = 0;
    bool rest_nonzero = false;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
      if (at == first_fraction) {
        first = text[at] - L'0';
      } else if (text[at] != L'0') {
        rest_nonzero = true;
      }
    }
    if (at == first_fraction) return std::nullopt;
    // Exact decimal rounding, so no floating point (and no locale) is involved.
    if (first > 5 || (first == 5 && (rest_nonzero || whole % 2 != 0))) ++whole;
  }
  if (at != text.size()) return std::nullopt;
  return InRange(negative ? -whole : whole, range);
}

std::optional<std::int32_t> RoundToRange(double value, IntegerRange range) {
  // Also false for NaN.
  if (!(value >= static_cast<double>(range.low) - 1.0 && value <= static_cast<double>(range.high) + 1.0)) {
    return std::nullopt;
  }
  // Both steps are exact for numbers this small, whatever the precision of
  // the arithmetic: the 32-bit and 64-bit builds agree.
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return InRange(static_cast<std::int64_t>(whole), range);
}

bool ApplyStoredValue(Settings& settings, const SettingRow& row, const StoredValue& value) {
  if (row.kind == SettingKind::kBytes) {
    if (value.type != StoredValue::Type::kBytes || !row.range.Contains(static_cast<std::int64_t>(value.bytes.size()))) {
      return false;
    }
    settings.*row.bytes = value.bytes;
    return true;
  }
  if (row.kind == SettingKind::kText) {
    if (value.type != StoredValue::Type::kText || CheckFileName(value.text) != FileNameProblem::kNone) return false;
    settings.*row.text = value.text;
    return true;
  }
  std::optional<std::int32_t> number;
  if (value.type == StoredValue::Type::kNumber) {
    number = InRange(static_cast<std::int32_t>(value.number), row.range);
  } else if (value.type == StoredValue::Type::kText) {
    number = ParseStoredInteger(value.text, row.range);
  }
  if (!number) return false;
  if (row.kind == SettingKind::kFlag) {
    settings.*row.flag = *number != 0;
  } else {
    settings.*row.integer = *number;
  }
  return true;
}

std::vector<std::uint8_t> CompressorStateFor(const Settings& settings, std::uint32_t handler) {
  const std::vector<std::uint8_t>& stored = settings.compressor_state;
  if (stored.size() <= 4 || StoredFourCc(stored) != handler) return {};
  return std::vector<std::uint8_t>(stored.begin() + 4, stored.end());
}

void KeepCompressorState(Settings& settings, std::uint32_t handler, const std::vector<std::uint8_t>& state) {
  settings.compressor_state.clear();
  if (state.empty() || state.size() > kMaxCompressorState) return;
  for (int i = 0; i < 4; ++i) settings.compressor_state.push_back(static_cast<std::uint8_t>(handler >> (8 * i)));
  settings.compressor_state.insert(settings.compressor_state.end(), state.begin(), state.end());
}

FileNameProblem CheckFileName(std::wstring_view name) {
  if (name.find_first_not_of(L" \t") == std::wstring_view::npos) return FileNameProblem::kBlank;
  if (name.size() > kMaxFileNameLength || name.find(L'\0') != std::wstring_view::npos) {
    return FileNameProblem::kUnusable;
  }
  return FileNameProblem::kNone;
}

bool IsValidAudioSetting(int samples_per_second, int bits_per_sample, int channels) {
  return (samples_per_second == 11025 || samples_per_second == 22050 || samples_per_second == 44100) &&
         (bits_per_sample == 8 || bits_per_sample == 16) && (channels == 1 || channels == 2);
}

void KeepValidAudioFormat(Settings& settings) {
  if (IsValidAudioSetting(settings.audio_samples_per_second, settings.audio_bits_per_sample, settings.audio_channels)) {
    return;
  }
  const Settings defaults;
  settings.audio_samples_per_second = defaults.audio_samples_per_second;
  settings.audio_bits_per_sample = defaults.audio_bits_per_sample;
  settings.audio_channels = defaults.audio_channels;
}

}  // namespace morvane
