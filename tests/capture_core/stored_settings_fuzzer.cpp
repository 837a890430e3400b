// Random registry contents into the settings parser. Whatever it is given,
// a value it takes lies inside its setting's range, a value outside is left
// out, and a number it took reads back the same as REG_DWORD.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "stored_settings.h"

namespace {

using morvane::SettingKind;
using morvane::SettingRow;
using morvane::Settings;
using morvane::StoredValue;

std::int64_t ValueOf(const Settings& settings, const SettingRow& row) {
  return row.kind == SettingKind::kFlag ? (settings.*row.flag ? 1 : 0) : settings.*row.integer;
}

void CheckTaken(const SettingRow& row, const StoredValue& stored) {
  Settings settings;
  const Settings before = settings;
  const bool taken = morvane::ApplyStoredValue(settings, row, stored);
  if (row.kind == SettingKind::kBytes) {
    const std::size_t kept = (settings.*row.bytes).size();
    if (taken ? !row.range.Contains(static_cast<std::int64_t>(kept)) : kept != 0) std::abort();
    return;
  }
  if (row.kind == SettingKind::kText) {
    // Any text row (the file name, the sound input's name): never blank.
    if (taken && (settings.*row.text).find_first_not_of(L" \t") == std::wstring::npos) std::abort();
    if (!taken && settings.*row.text != before.*row.text) std::abort();
    return;
  }
  const std::int64_t value = ValueOf(settings, row);
  if (!taken) {
    if (value != ValueOf(before, row)) std::abort();  // a refused value changes nothing
    return;
  }
  if (!row.range.Contains(value)) std::abort();
  // What was taken survives being stored the new way.
  StoredValue again;
  again.type = StoredValue::Type::kNumber;
  again.number = static_cast<std::uint32_t>(value);
  Settings reread;
  if (!morvane::ApplyStoredValue(reread, row, again) || ValueOf(reread, row) != value) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const SettingRow& row = morvane::SettingRows()[data[0] % morvane::SettingRowCount()];
  const std::uint8_t* rest = data + 2;
  const std::size_t rest_size = size - 2;
  StoredValue stored;
  switch (data[1] % 4) {
    case 3:  // REG_BINARY
      stored.type = StoredValue::Type::kBytes;
      stored.bytes.assign(rest, rest + rest_size);
      break;
    case 0:  // REG_DWORD
      stored.type = StoredValue::Type::kNumber;
      std::memcpy(&stored.number, rest, rest_size < 4 ? rest_size : 4);
      break;
    case 1:  // REG_SZ, byte per character (reaches the digits often)
      stored.type = StoredValue::Type::kText;
      stored.text.assign(rest, rest + rest_size);
      break;
    default:  // REG_SZ, two bytes per character
      stored.type = StoredValue::Type::kText;
      for (std::size_t i = 0; i + 1 < rest_size; i += 2) {
        stored.text.push_back(static_cast<wchar_t>(rest[i] | (rest[i + 1] << 8)));
      }
      break;
  }
  CheckTaken(row, stored);

  // A caller's double: rounded to at most half a unit away, inside the range.
  if (rest_size >= sizeof(double)) {
    double value = 0;
    std::memcpy(&value, rest, sizeof(value));
    const auto rounded = morvane::RoundToRange(value, row.range);
    if (rounded && (!row.range.Contains(*rounded) || !(std::fabs(value - *rounded) <= 0.5))) std::abort();
  }
  return 0;
}
