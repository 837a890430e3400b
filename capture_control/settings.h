// Where the control's settings live between runs: per user, under
// HKEY_CURRENT_USER\Software\Morvane\Capture (or the subkey named by the
// environment variable MORVANE_SETTINGS_KEY, which lets tests keep their own).
// What the values mean and which are valid is core/stored_settings.h.
#pragma once

#include <string>

#include "core/stored_settings.h"

namespace morvane {

// The file capture writes to when no name was set: CAPTURE.AVI in the temp folder.
std::wstring DefaultCaptureFile();
std::wstring SettingsKeyPath();

// Fills what the registry holds and is valid, and leaves the rest at its
// defaults.
void LoadSettings(Settings& settings, const std::wstring& key_path);
// Writes one setting, and only that one: another control of the same user
// may have changed the others since we loaded them. Returns false when the
// key cannot be written; the setting then simply does not persist, which
// must not fail the property put that caused it.
bool SaveSetting(const Settings& settings, SettingId id, const std::wstring& key_path);

}  // namespace morvane
