#include "settings.h"

#include <windows.h>

#include <vector>

#include "handles.h"

namespace morvane {
namespace {

// Numbers and flags are stored as REG_DWORD, which no locale can change;
// a compressor's own settings as REG_BINARY, as it hands them out.
// Text that earlier versions wrote is still read (core/stored_settings.cpp).
StoredValue ReadValue(HKEY key, const wchar_t* name) {
  StoredValue value;
  DWORD type = 0;
  DWORD bytes = 0;
  if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return value;
  if (type == REG_DWORD && bytes == sizeof(DWORD)) {
    DWORD number = 0;
    DWORD size = sizeof(number);
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof(number)) {
      value.type = StoredValue::Type::kNumber;
      value.number = number;
    }
  } else if (type == REG_BINARY && bytes <= kMaxCompressorState + 4) {
    std::vector<std::uint8_t> buffer(bytes);
    DWORD size = bytes;
    if (::RegQueryValueExW(key, name, nullptr, &type, buffer.data(), &size) == ERROR_SUCCESS && type == REG_BINARY &&
        size == bytes) {
      value.type = StoredValue::Type::kBytes;
      value.bytes = std::move(buffer);
    }
  } else if (type == REG_SZ) {
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
      value.type = StoredValue::Type::kText;
      value.text.assign(buffer.data());
    }
  }
  return value;
}

bool WriteValue(HKEY key, const SettingRow& row, const Settings& settings) {
  if (row.kind == SettingKind::kBytes) {
    // Nothing kept is no value at all: the defaults need none.
    const std::vector<std::uint8_t>& bytes = settings.*row.bytes;
    if (bytes.empty()) {
      const LSTATUS status = ::RegDeleteValueW(key, row.name);
      return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return ::RegSetValueExW(key, row.name, 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())) ==
           ERROR_SUCCESS;
  }
  if (row.kind == SettingKind::kText) {
    const std::wstring& text = settings.*row.text;
    return ::RegSetValueExW(key, row.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  const DWORD number = row.kind == SettingKind::kFlag ? (settings.*row.flag ? 1u : 0u)
                                                      : static_cast<DWORD>(settings.*row.integer);
  return ::RegSetValueExW(key, row.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number)) ==
         ERROR_SUCCESS;
}

}  // namespace

std::wstring DefaultCaptureFile() {
  wchar_t folder[MAX_PATH + 1] = {};
  DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  std::wstring path = (length > 0 && length <= MAX_PATH) ? std::wstring(folder, length) : std::wstring(L"C:\\");
  if (path.back() != L'\\') path += L'\\';
  return path + L"CAPTURE.AVI";
}

std::wstring SettingsKeyPath() { return L"Software\\Morvane\\Capture"; }

void LoadSettings(Settings& settings, const std::wstring& key_path) {
  HKEY raw = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return;
  UniqueHkey key(raw);
  for (std::size_t i = 0; i < SettingRowCount(); ++i) {
    const SettingRow& row = SettingRows()[i];
    ApplyStoredValue(settings, row, ReadValue(key.get(), row.name));
  }
  KeepValidAudioFormat(settings);
}

bool SaveSetting(const Settings& settings, SettingId id, const std::wstring& key_path) {
  HKEY raw = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  UniqueHkey key(raw);
  return WriteValue(key.get(), RowOf(id), settings);
}

}  // namespace morvane
