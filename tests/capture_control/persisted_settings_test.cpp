// The settings a control keeps for the next one of the same user: what it
// stores, what it takes back from the store and in which range, whatever
// the host's locale.
#include <clocale>
#include <cwchar>

#include "control_fixture.h"

namespace morvane_test {
namespace {

TEST_F(ControlTest, SettingsPersistForTheNextControl) {
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureRate, Var::R8(12.5).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureWidth, Var::R8(640).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureHeight, Var::R8(480).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kDeviceIndex, Var::I2(1).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kTimeLimit, Var::R8(42).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kStopOnLeftClick, Var::I2(0).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureFileName, Var::Text(L"C:\\TEMP\\KEEP.AVI").v).hr);
  // A damaged value is ignored, the others still come back.
  ASSERT_TRUE(StoreText(L"PreviewRate", L"many"));

  TestHost second;
  ASSERT_TRUE(second.ok());
  struct Row {
    DISPID id;
    double expected;
  };
  const Row rows[] = {{dispid::kCaptureRate, 12}, {dispid::kCaptureWidth, 640}, {dispid::kCaptureHeight, 480},
                      {dispid::kDeviceIndex, 1},  {dispid::kTimeLimit, 42},      {dispid::kStopOnLeftClick, 0},
                      {dispid::kPreviewRate, 15}};
  for (const Row& row : rows) {
    Var number;
    CallResult get = GetProperty(second.control(), row.id);
    ASSERT_EQ(S_OK, ::VariantChangeType(&number.v, &get.value.v, 0, VT_R8)) << row.id;
    EXPECT_EQ(row.expected, number.v.dblVal) << row.id;
  }
  EXPECT_STREQ(L"C:\\TEMP\\KEEP.AVI", GetProperty(second.control(), dispid::kCaptureFileName).value.v.bstrVal);
}

double ReadNumber(IDispatch* control, DISPID id) {
  Var number;
  CallResult get = GetProperty(control, id);
  if (FAILED(::VariantChangeType(&number.v, &get.value.v, 0, VT_R8))) return -99999;
  return number.v.dblVal;
}

// What a new control reads back from the store: values outside their range
// (which would end a host that reads them as 16-bit integers) are ignored,
// and numbers written as text by earlier versions, with a period or a comma,
// still count.
TEST_F(ControlTest, StoredValuesAreTakenOnlyInsideTheirRange) {
  struct Row {
    const char* name;
    const wchar_t* value_name;
    DWORD number;          // stored as REG_DWORD unless text is set
    const wchar_t* text;   // stored as REG_SZ
    DISPID id;
    double expected;
  };
  const Row rows[] = {
      {"time limit 40000", L"TimeLimit", 40000, nullptr, dispid::kTimeLimit, 0},
      {"time limit 86400 as text", L"TimeLimit", 0, L"86400", dispid::kTimeLimit, 0},
      {"time limit 32767", L"TimeLimit", 32767, nullptr, dispid::kTimeLimit, 32767},
      {"time limit written with a comma", L"TimeLimit", 0, L"30,5", dispid::kTimeLimit, 30},
      {"time limit written with a period", L"TimeLimit", 0, L"31.5", dispid::kTimeLimit, 32},
      {"capture rate 0.3", L"CaptureRate", 0, L"0.29999999999999999", dispid::kCaptureRate, 15},
      {"capture rate 0", L"CaptureRate", 0, nullptr, dispid::kCaptureRate, 15},
      {"capture rate 12.5 (an old fraction)", L"CaptureRate", 0, L"12.5", dispid::kCaptureRate, 12},
      {"preview rate 1000", L"PreviewRate", 1000, nullptr, dispid::kPreviewRate, 15},
      {"preview rate -1", L"PreviewRate", 0xFFFFFFFFu, nullptr, dispid::kPreviewRate, 15},
      {"capture width 70000", L"CaptureWidth", 70000, nullptr, dispid::kCaptureWidth, 320},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestSettingsKey);
    if (row.text) {
      ASSERT_TRUE(StoreText(row.value_name, row.text));
    } else {
      ASSERT_TRUE(StoreNumber(row.value_name, row.number));
    }
    TestHost next;
    ASSERT_TRUE(next.ok());
    EXPECT_EQ(row.expected, ReadNumber(next.control(), row.id));
  }
}

// Two controls of one user, each changing its own setting: neither undoes
// the other's change with the value it loaded at start.
TEST_F(ControlTest, TwoControlsDoNotUndoEachOther) {
  TestHost other;
  ASSERT_TRUE(other.ok());
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureRate, Var::R8(30).v).hr);
  ASSERT_EQ(S_OK, PutProperty(other.control(), dispid::kTimeLimit, Var::R8(20).v).hr);
  ASSERT_EQ(S_OK, PutProperty(control(), dispid::kCaptureWidth, Var::R8(640).v).hr);
  ASSERT_EQ(S_OK, PutProperty(other.control(), dispid::kAudioRecording, Var::I2(1).v).hr);
  TestHost third;
  ASSERT_TRUE(third.ok());
  EXPECT_EQ(30, ReadNumber(third.control(), dispid::kCaptureRate));
  EXPECT_EQ(20, ReadNumber(third.control(), dispid::kTimeLimit));
  EXPECT_EQ(640, ReadNumber(third.control(), dispid::kCaptureWidth));
  EXPECT_EQ(-1, ReadNumber(third.control(), dispid::kAudioRecording));
}

// A host that switched the C runtime to a decimal-comma locale stores the
// same numbers as one that did not, and either reads what the other wrote.
TEST_F(ControlTest, StoredNumbersDoNotDependOnTheLocale) {
  struct Row {
    const char* name;
    const char* writer_locale;
    const char* reader_locale;
  };
  const Row rows[] = {
      {"written with a comma, read with a period", "German_Germany.1252", "C"},
      {"written with a period, read with a comma", "C", "German_Germany.1252"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestSettingsKey);
    ASSERT_NE(nullptr, std::setlocale(LC_ALL, row.writer_locale));
    double written = 0;
    {
      TestHost writer;
      ASSERT_EQ(S_OK, PutProperty(writer.control(), dispid::kCaptureRate, Var::R8(12.5).v).hr);
      written = ReadNumber(writer.control(), dispid::kCaptureRate);
    }
    std::setlocale(LC_ALL, row.reader_locale);
    TestHost reader;
    EXPECT_EQ(written, ReadNumber(reader.control(), dispid::kCaptureRate));
    std::setlocale(LC_ALL, "C");
  }
}

}  // namespace
}  // namespace morvane_test
