#include "settings.h"

#include <windows.h>

#include <cmath>
#include <cwchar>
#include <vector>

#include "core/frame_format.h"
#include "handles.h"

namespace morvane {
namespace {

// One registry value per row. Exactly one member pointer is set; numbers are
// checked against [low, high] when read back.
struct SettingRow {
  const wchar_t* name;
  int Settings::*integer;
  double Settings::*real;
  bool Settings::*flag;
  std::wstring Settings::*text;
  double low;
  double high;
};

const SettingRow kRows[] = {
    {L"CaptureFileName", nullptr, nullptr, nullptr, &Settings::capture_file, 0, 0},
    {L"DeviceIndex", &Settings::device_index, nullptr, nullptr, nullptr, 0, 32767},
    {L"CaptureWidth", &Settings::capture_width, nullptr, nullptr, nullptr, kMinFrameSide, kMaxFrameSide},
    {L"CaptureHeight", &Settings::capture_height, nullptr, nullptr, nullptr, kMinFrameSide, kMaxFrameSide},
    {L"CaptureRate", nullptr, &Settings::capture_rate, nullptr, nullptr, kMinCaptureRate, kMaxCaptureRate},
    {L"PreviewRate", nullptr, &Settings::preview_rate, nullptr, nullptr, kMinPreviewRate, kMaxPreviewRate},
    {L"TimeLimit", nullptr, &Settings::time_limit, nullptr, nullptr, 0, kMaxTimeLimit},
    {L"TimeLimitEnabled", nullptr, nullptr, &Settings::time_limit_enabled, nullptr, 0, 1},
    {L"AudioRecording", nullptr, nullptr, &Settings::audio_recording, nullptr, 0, 1},
    {L"ConfirmBeforeCapture", nullptr, nullptr, &Settings::confirm_before_capture, nullptr, 0, 1},
    {L"StopOnLeftClick", nullptr, nullptr, &Settings::stop_on_left_click, nullptr, 0, 1},
    {L"StopOnRightClick", nullptr, nullptr, &Settings::stop_on_right_click, nullptr, 0, 1},
    {L"AudioSamplesPerSecond", &Settings::audio_samples_per_second, nullptr, nullptr, nullptr, 11025, 44100},
    {L"AudioBitsPerSample", &Settings::audio_bits_per_sample, nullptr, nullptr, nullptr, 8, 16},
    {L"AudioChannels", &Settings::audio_channels, nullptr, nullptr, nullptr, 1, 2},
    {L"SourcePattern", &Settings::source_pattern, nullptr, nullptr, nullptr, 0, 1},
};

bool ReadText(HKEY key, const wchar_t* name, std::wstring& out) {
  DWORD type = 0;
  DWORD bytes = 0;
  if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS || type != REG_SZ) {
    return false;
  }
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  out.assign(buffer.data());
  return true;
}

bool WriteText(HKEY key, const wchar_t* name, const std::wstring& text) {
  return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Numbers are kept as text: readable in regedit and exact for the rates.
std::wstring NumberText(double value) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%.17g", value);
  return buffer;
}

bool ParseNumber(const std::wstring& text, double& value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  double parsed = std::wcstod(text.c_str(), &end);
  if (end == text.c_str() || *end != L'\0' || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

}  // namespace

bool IsValidCaptureRate(double rate) {
  return std::isfinite(rate) && rate >= kMinCaptureRate && rate <= kMaxCaptureRate;
}
bool IsValidPreviewRate(double rate) {
  return std::isfinite(rate) && rate >= kMinPreviewRate && rate <= kMaxPreviewRate;
}
bool IsValidTimeLimit(double seconds) { return std::isfinite(seconds) && seconds >= 0 && seconds <= kMaxTimeLimit; }
bool IsValidAudioSetting(int samples_per_second, int bits_per_sample, int channels) {
  return (samples_per_second == 11025 || samples_per_second == 22050 || samples_per_second == 44100) &&
         (bits_per_sample == 8 || bits_per_sample == 16) && (channels == 1 || channels == 2);
}

std::wstring DefaultCaptureFile() {
  wchar_t folder[MAX_PATH + 1] = {};
  DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  std::wstring path = (length > 0 && length <= MAX_PATH) ? std::wstring(folder, length) : std::wstring(L"C:\\");
  if (path.back() != L'\\') path += L'\\';
  return path + L"CAPTURE.AVI";
}

std::wstring SettingsKeyPath() {
  wchar_t buffer[512] = {};
  DWORD length = ::GetEnvironmentVariableW(L"MORVANE_SETTINGS_KEY", buffer, 512);
  if (length > 0 && length < 512) return buffer;
  return L"Software\\Morvane\\Capture";
}

void LoadSettings(Settings& settings, const std::wstring& key_path) {
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return;
  UniqueHkey key(raw);
  for (const SettingRow& row : kRows) {
    std::wstring text;
    if (!ReadText(key.get(), row.name, text)) continue;
    if (row.text) {
      settings.*row.text = text;
      continue;
    }
    double value = 0;
    if (!ParseNumber(text, value) || value < row.low || value > row.high) continue;
    if (row.integer) {
      if (value != std::floor(value)) continue;
      settings.*row.integer = static_cast<int>(value);
    } else if (row.real) {
      settings.*row.real = value;
    } else if (row.flag) {
      settings.*row.flag = value != 0;
    }
  }
  if (!IsValidAudioSetting(settings.audio_samples_per_second, settings.audio_bits_per_sample,
                           settings.audio_channels)) {
    Settings defaults;
    settings.audio_samples_per_second = defaults.audio_samples_per_second;
    settings.audio_bits_per_sample = defaults.audio_bits_per_sample;
    settings.audio_channels = defaults.audio_channels;
  }
}

bool SaveSettings(const Settings& settings, const std::wstring& key_path) {
  HKEY raw = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  UniqueHkey key(raw);
  bool ok = true;
  for (const SettingRow& row : kRows) {
    std::wstring text;
    if (row.text) {
      text = settings.*row.text;
    } else if (row.integer) {
      text = NumberText(settings.*row.integer);
    } else if (row.real) {
      text = NumberText(settings.*row.real);
    } else if (row.flag) {
      text = settings.*row.flag ? L"1" : L"0";
    }
    ok = WriteText(key.get(), row.name, text) && ok;
  }
  return ok;
}

}  // namespace morvane
