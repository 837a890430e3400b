// The control's settings and where they live between runs: per user, under
// HKEY_CURRENT_USER\Software\Morvane\Capture (or the subkey named by the
// environment variable MORVANE_SETTINGS_KEY, which lets tests keep their own).
#pragma once

#include <string>

namespace morvane {

struct Settings {
  std::wstring capture_file;  // empty until set: the default lives in the temp folder
  int device_index = 0;
  int capture_width = 320;
  int capture_height = 240;
  double capture_rate = 15.0;
  double preview_rate = 15.0;
  double time_limit = 0.0;
  bool time_limit_enabled = false;
  bool audio_recording = false;
  bool confirm_before_capture = false;
  bool stop_on_left_click = true;
  bool stop_on_right_click = true;
  int audio_samples_per_second = 22050;
  int audio_bits_per_sample = 16;
  int audio_channels = 1;
  int source_pattern = 0;  // which picture the first device shows
};

// The ranges the control accepts; a stored value outside them is ignored
// when loading, so a damaged registry never yields an unusable control.
constexpr double kMinCaptureRate = 0.1;
constexpr double kMaxCaptureRate = 100.0;
constexpr double kMinPreviewRate = 1.0;
constexpr double kMaxPreviewRate = 100.0;
constexpr double kMaxTimeLimit = 86400.0;

bool IsValidCaptureRate(double rate);
bool IsValidPreviewRate(double rate);
bool IsValidTimeLimit(double seconds);
bool IsValidAudioSetting(int samples_per_second, int bits_per_sample, int channels);

// The file capture writes to when no name was set: CAPTURE.AVI in the temp folder.
std::wstring DefaultCaptureFile();
std::wstring SettingsKeyPath();

// Fills what the registry holds and leaves the rest at its defaults.
void LoadSettings(Settings& settings, const std::wstring& key_path);
// Returns false when the key cannot be written; the settings then simply
// do not persist, which must not fail the property put that caused it.
bool SaveSettings(const Settings& settings, const std::wstring& key_path);

}  // namespace morvane
