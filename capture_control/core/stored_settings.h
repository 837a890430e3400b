// The control's settings, their ranges, and how a value that comes back from
// the store (the registry on Windows) becomes a setting. Whatever the store
// holds, a value is either taken, inside its range, or ignored; so a damaged
// or foreign entry can never yield an unusable control or a value a host
// cannot read back as a 16-bit integer.
//
// | Setting          | Range            | Unit, meaning                        |
// |------------------|------------------|--------------------------------------|
// | CaptureRate      | 1 .. 240         | frames per second                    |
// | PreviewRate      | 1 .. 240         | frames per second                    |
// | TimeLimit        | 0 .. 32767       | seconds; 0 is "no limit"             |
// | CaptureWidth/-Height | 16 .. 4096   | pixels                               |
// | DeviceIndex      | 0 .. 32767       | checked against the devices later    |
// | Audio format     | 11025/22050/44100 Hz, 8/16 bit, 1/2 channels          |
// | AudioInput       | an input's name  | blank or missing: automatic          |
// | Compression      | 0 .. 2^31-1      | 0 none, 1 as the camera delivers it, |
// |                  |                  | else a FOURCC ('MJPG': built in)     |
// | CompressionQuality | 1 .. 100       | JPEG quality, 100 best               |
// | CompressorState  | up to 64 KiB     | an installed compressor's own        |
// |                  |                  | settings, after its FOURCC           |
//
// The three rates and the time limit are whole numbers: hosts read them as
// 16-bit integers. TimeLimit keeps 0 because hosts send it for "no limit".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

struct Settings {
  std::wstring capture_file;  // empty until set: the default lives in the temp folder
  int device_index = 0;
  int capture_width = 320;
  int capture_height = 240;
  int capture_rate = 15;
  int preview_rate = 15;
  int time_limit = 0;
  bool time_limit_enabled = false;
  bool audio_recording = false;
  bool confirm_before_capture = false;
  bool stop_on_left_click = true;
  bool stop_on_right_click = true;
  int audio_samples_per_second = 22050;
  int audio_bits_per_sample = 16;
  int audio_channels = 1;
  int source_pattern = 0;  // which picture the first device shows
  // The sound input to record from, by its name; empty: automatic (the
  // test tone with a synthetic device, the default input with a camera).
  std::wstring audio_input;
  int compression = 0;     // see kCompressionNone and the table above
  int compression_quality = 75;
  // What an installed compressor's own settings dialog left, as the
  // compressor keeps it, behind the FOURCC of the compressor it belongs to
  // (empty: its defaults). See CompressorStateFor.
  std::vector<std::uint8_t> compressor_state;
};

// What Settings::compression holds besides a codec's FOURCC.
constexpr int kCompressionNone = 0;
constexpr int kCompressionAsDelivered = 1;
// 'MJPG' as a FOURCC: the built-in Motion JPEG.
constexpr int kCompressionMotionJpeg = 'M' | 'J' << 8 | 'P' << 16 | 'G' << 24;

// A compressor's state larger than this is not one a settings dialog made.
constexpr std::size_t kMaxCompressorState = 64 * 1024;

// The stored state of the compressor `handler`: empty when what is stored
// belongs to another compressor (or to none), so one codec is never handed
// another's settings.
std::vector<std::uint8_t> CompressorStateFor(const Settings& settings, std::uint32_t handler);
// Keeps state as the settings of the compressor `handler`.
void KeepCompressorState(Settings& settings, std::uint32_t handler, const std::vector<std::uint8_t>& state);

struct IntegerRange {
  std::int32_t low;
  std::int32_t high;
  bool Contains(std::int64_t value) const { return value >= low && value <= high; }
};

// Cameras run at up to 240 frames a second. Beyond that a preview's timer
// (and a synthetic device rendering every slot) would leave the host's
// thread no time for its own messages.
constexpr IntegerRange kCaptureRateRange{1, 240};
constexpr IntegerRange kPreviewRateRange{1, 240};
constexpr IntegerRange kTimeLimitRange{0, 32767};

// One stored value per setting, in the order of this enumeration.
enum class SettingId {
  kCaptureFileName,
  kDeviceIndex,
  kCaptureWidth,
  kCaptureHeight,
  kCaptureRate,
  kPreviewRate,
  kTimeLimit,
  kTimeLimitEnabled,
  kAudioRecording,
  kConfirmBeforeCapture,
  kStopOnLeftClick,
  kStopOnRightClick,
  kAudioSamplesPerSecond,
  kAudioBitsPerSample,
  kAudioChannels,
  kSourcePattern,
  kAudioInput,
  kCompression,
  kCompressionQuality,
  kCompressorState,
};

enum class SettingKind { kText, kInteger, kFlag, kBytes };

// Exactly one member pointer is set, the one kind names.
struct SettingRow {
  SettingId id;
  const wchar_t* name;  // the stored value's name
  SettingKind kind;
  int Settings::*integer;
  bool Settings::*flag;
  std::wstring Settings::*text;
  std::vector<std::uint8_t> Settings::*bytes;
  IntegerRange range;  // flags: 0 .. 1; bytes: their count
};

const SettingRow* SettingRows();
std::size_t SettingRowCount();
const SettingRow& RowOf(SettingId id);

// A value as the store hands it back.
struct StoredValue {
  enum class Type { kNumber, kText, kBytes, kOther } type = Type::kOther;
  std::uint32_t number = 0;  // kNumber: a 32-bit value, read as signed
  std::wstring text;         // kText
  std::vector<std::uint8_t> bytes;  // kBytes
};

// Takes a stored value into settings when it is valid for its row; returns
// false, leaving settings as they were, when it is not.
bool ApplyStoredValue(Settings& settings, const SettingRow& row, const StoredValue& value);

// The whole number a stored text stands for, inside range. Numbers are plain
// decimal in any locale: an optional minus sign, digits, and an optional
// fraction after "." (or the "," a decimal-comma locale once wrote), rounded
// to the nearest whole number with ties to the even one. Nothing else may
// follow.
std::optional<std::int32_t> ParseStoredInteger(const std::wstring& text, IntegerRange range);

// A caller's value (already a double) as the whole number it rounds to, ties
// to even, when that lies inside range; nothing for NaN, infinities and
// values outside.
std::optional<std::int32_t> RoundToRange(double value, IntegerRange range);

bool IsValidAudioSetting(int samples_per_second, int bits_per_sample, int channels);

// What is wrong with a file name a user gave: nothing, nothing but blanks,
// or a character or a length that no file name has.
enum class FileNameProblem { kNone, kBlank, kUnusable };
FileNameProblem CheckFileName(std::wstring_view name);

// Puts back the defaults of the audio format unless the three together are
// a format the control can record.
void KeepValidAudioFormat(Settings& settings);

}  // namespace morvane
