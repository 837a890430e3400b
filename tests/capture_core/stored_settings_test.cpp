// Stored settings: what comes back from the registry is taken only inside
// its range, whole numbers round with ties to even, and text written by
// earlier versions in any locale still reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "stored_settings.h"

namespace {

using morvane::IntegerRange;
using morvane::SettingId;
using morvane::Settings;
using morvane::StoredValue;

std::string Narrow(const wchar_t* text) {
  std::string narrow;
  for (; *text; ++text) narrow.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
  return narrow;
}

StoredValue Number(std::uint32_t value) {
  StoredValue stored;
  stored.type = StoredValue::Type::kNumber;
  stored.number = value;
  return stored;
}

StoredValue Text(const wchar_t* value) {
  StoredValue stored;
  stored.type = StoredValue::Type::kText;
  stored.text = value;
  return stored;
}

TEST(StoredSettingsTest, CallersDoublesRoundToEvenInsideTheRange) {
  struct Row {
    double value;
    IntegerRange range;
    std::optional<std::int32_t> expected;
  };
  const Row rows[] = {
      {2.5, morvane::kCaptureRateRange, 2},
      {3.5, morvane::kCaptureRateRange, 4},
      {0.5, morvane::kTimeLimitRange, 0},
      {1.5, morvane::kTimeLimitRange, 2},
      {2.4999999999, morvane::kCaptureRateRange, 2},
      {2.5000000001, morvane::kCaptureRateRange, 3},
      {99.5, morvane::kCaptureRateRange, 100},
      {100.5, morvane::kCaptureRateRange, 100},
      {101.5, morvane::kCaptureRateRange, 102},
      {240.5, morvane::kCaptureRateRange, 240},
      {241.5, morvane::kCaptureRateRange, std::nullopt},
      {240.0, morvane::kPreviewRateRange, 240},
      {241.0, morvane::kPreviewRateRange, std::nullopt},
      {0.3, morvane::kCaptureRateRange, std::nullopt},  // rounds to 0: no rate
      {0.5, morvane::kPreviewRateRange, std::nullopt},
      {0.51, morvane::kPreviewRateRange, 1},
      {32767.0, morvane::kTimeLimitRange, 32767},
      {32767.4, morvane::kTimeLimitRange, 32767},
      {32767.5, morvane::kTimeLimitRange, std::nullopt},  // 32768 is beyond a 16-bit integer
      {40000, morvane::kTimeLimitRange, std::nullopt},
      {-0.5, morvane::kTimeLimitRange, 0},
      {-0.6, morvane::kTimeLimitRange, std::nullopt},
      {std::nan(""), morvane::kTimeLimitRange, std::nullopt},
      {std::numeric_limits<double>::infinity(), morvane::kTimeLimitRange, std::nullopt},
      {-std::numeric_limits<double>::infinity(), morvane::kTimeLimitRange, std::nullopt},
      {1e300, morvane::kTimeLimitRange, std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, morvane::RoundToRange(row.value, row.range)) << row.value;
  }
}

TEST(StoredSettingsTest, StoredTextIsReadTheSameInEveryLocale) {
  struct Row {
    const wchar_t* text;
    std::optional<std::int32_t> expected;  // in 0 .. 32767
  };
  const Row rows[] = {
      {L"15", 15},
      {L"0", 0},
      {L"32767", 32767},
      {L"12.5", 12},  // what "%.17g" wrote in the "C" locale
      {L"12,5", 12},  // ... and with a decimal comma
      {L"13.5", 14},
      {L"2.5000000000000001", 3},
      {L"0.10000000000000001", 0},
      {L"-0", 0},
      {L"32767.5", std::nullopt},
      {L"40000", std::nullopt},
      {L"-1", std::nullopt},
      {L"99999999999999999999999999", std::nullopt},
      {L"", std::nullopt},
      {L"-", std::nullopt},
      {L"12.", std::nullopt},
      {L".5", std::nullopt},
      {L"1e3", std::nullopt},
      {L" 15", std::nullopt},
      {L"15 ", std::nullopt},
      {L"1,5.5", std::nullopt},
      {L"many", std::nullopt},
      {L"\uFF11\uFF15", std::nullopt},  // full-width digits are not ours
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.expected, morvane::ParseStoredInteger(row.text, morvane::kTimeLimitRange)) << Narrow(row.text);
  }
}

StoredValue Bytes(std::size_t count) {
  StoredValue stored;
  stored.type = StoredValue::Type::kBytes;
  stored.bytes.assign(count, 0x4D);
  return stored;
}

TEST(StoredSettingsTest, OnlyValuesInsideTheirRangeAreTaken) {
  struct Row {
    SettingId id;
    StoredValue stored;
    bool taken;
  };
  const Row rows[] = {
      {SettingId::kTimeLimit, Number(40000), false},  // would end a host reading a 16-bit integer
      {SettingId::kTimeLimit, Number(30), true},
      {SettingId::kTimeLimit, Number(0xFFFFFFFFu), false},  // -1
      {SettingId::kCaptureRate, Number(0), false},
      {SettingId::kCaptureRate, Text(L"0.3"), false},
      {SettingId::kCaptureRate, Text(L"30"), true},
      {SettingId::kPreviewRate, Number(241), false},
      {SettingId::kPreviewRate, Number(240), true},
      {SettingId::kCaptureWidth, Number(5000), false},
      {SettingId::kCaptureWidth, Number(4096), true},
      {SettingId::kAudioRecording, Number(2), false},
      {SettingId::kAudioRecording, Number(1), true},
      {SettingId::kCaptureFileName, Text(L"C:\\x.avi"), true},
      {SettingId::kCaptureFileName, Text(L"   "), false},
      {SettingId::kCaptureFileName, Number(1), false},
      {SettingId::kDeviceIndex, StoredValue{}, false},
      {SettingId::kCompressorState, Bytes(4), false},  // a FOURCC without a state
      {SettingId::kCompressorState, Bytes(5), true},
      {SettingId::kCompressorState, Bytes(4 + morvane::kMaxCompressorState + 1), false},
      {SettingId::kCompressorState, Number(1), false},
      {SettingId::kCompressionQuality, Bytes(5), false},
  };
  for (const Row& row : rows) {
    const morvane::SettingRow& setting = morvane::RowOf(row.id);
    Settings settings;
    const Settings before = settings;
    EXPECT_EQ(row.taken, morvane::ApplyStoredValue(settings, setting, row.stored)) << Narrow(setting.name);
    if (!row.taken) {
      EXPECT_EQ(before.time_limit, settings.time_limit);
      EXPECT_EQ(before.capture_rate, settings.capture_rate);
      EXPECT_EQ(before.capture_width, settings.capture_width);
      EXPECT_EQ(before.capture_file, settings.capture_file);
      EXPECT_EQ(before.audio_recording, settings.audio_recording);
      EXPECT_EQ(before.compressor_state, settings.compressor_state);
    }
  }
}

// A compressor's settings go back only to that compressor, whatever else
// is stored, and what no dialog could make is not kept.
TEST(StoredSettingsTest, ACompressorsStateGoesBackOnlyToItsOwnCompressor) {
  constexpr std::uint32_t kMvtc = 'M' | 'V' << 8 | 'T' << 16 | 'C' << 24;
  struct Row {
    const char* name;
    std::vector<std::uint8_t> state;
    std::uint32_t asked;
    std::vector<std::uint8_t> given;
  };
  const std::vector<std::uint8_t> two{0x5A, 0x01};
  const Row rows[] = {
      {"its own", two, kMvtc, two},
      {"another compressor", two, kMvtc + 1, {}},
      {"nothing kept", {}, kMvtc, {}},
      {"too large to keep", std::vector<std::uint8_t>(morvane::kMaxCompressorState + 1, 1), kMvtc, {}},
  };
  for (const Row& row : rows) {
    Settings settings;
    settings.compressor_state = {1, 2, 3, 4, 5};  // whatever was there before
    morvane::KeepCompressorState(settings, kMvtc, row.state);
    EXPECT_EQ(row.given, morvane::CompressorStateFor(settings, row.asked)) << row.name;
  }
}

TEST(StoredSettingsTest, EverySettingHasOneRowAndEveryRateFitsSixteenBits) {
  std::set<std::wstring> names;
  for (std::size_t i = 0; i < morvane::SettingRowCount(); ++i) {
    const morvane::SettingRow& row = morvane::SettingRows()[i];
    EXPECT_EQ(&row, &morvane::RowOf(row.id)) << i;
    EXPECT_TRUE(names.insert(row.name).second) << i;
    EXPECT_LE(row.range.low, row.range.high) << i;
  }
  for (IntegerRange range : {morvane::kCaptureRateRange, morvane::kPreviewRateRange, morvane::kTimeLimitRange}) {
    EXPECT_GE(range.low, 0);
    EXPECT_LE(range.high, 32767);
  }
  Settings odd;
  odd.audio_bits_per_sample = 12;
  morvane::KeepValidAudioFormat(odd);
  EXPECT_EQ(Settings().audio_bits_per_sample, odd.audio_bits_per_sample);
}

}  // namespace
