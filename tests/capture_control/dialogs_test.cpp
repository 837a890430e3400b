// The control's own dialogs: OK applies the choices, Cancel keeps every
// setting as it was.
#include "control_fixture.h"

namespace morvane_test {
namespace {

TEST_F(ControlTest, DialogsApplyOnOkAndKeepEverythingOnCancel) {
  struct Row {
    const char* name;
    DISPID method;
    const wchar_t* title;
    int button;
    std::function<void(HWND)> act;
    DISPID read;
    double expected;
  };
  const Row rows[] = {
      {"format cancel", dispid::kShowFormatDialog, L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDCANCEL,
       [](HWND d) { Select(d, 0, 4); }, dispid::kCaptureWidth, 320},
      {"format 640x480", dispid::kShowFormatDialog, L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDOK,
       [](HWND d) { Select(d, 0, 4); }, dispid::kCaptureWidth, 640},
      {"format height", dispid::kShowFormatDialog, L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDOK,
       nullptr, dispid::kCaptureHeight, 480},
      {"format 160x120", dispid::kShowFormatDialog, L"ﾋﾞﾃﾞｵ ﾌｫｰﾏｯﾄ", IDOK,
       [](HWND d) { Select(d, 0, 0); }, dispid::kCaptureHeight, 120},
      {"source", dispid::kShowSourceDialog, L"ﾋﾞﾃﾞｵ ｿｰｽ", IDOK,
       [](HWND d) { Select(d, 0, 1); }, dispid::kDeviceCount, 3},
      {"audio", dispid::kShowAudioDialog, L"ｵｰﾃﾞｨｵ ﾌｫｰﾏｯﾄ", IDOK,
       [](HWND d) { Select(d, 1, 2); }, dispid::kDeviceCount, 3},
      {"compression", dispid::kShowCompressionDialog, L"ﾋﾞﾃﾞｵ圧縮", IDOK, nullptr, dispid::kDeviceCount, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DriveDialog(row.title, row.button, row.act);
    CallResult shown = CallMethod(control(), row.method);
    ASSERT_EQ(S_OK, shown.hr) << std::hex << shown.scode;
    Var number;
    CallResult read = GetProperty(control(), row.read);
    ASSERT_EQ(S_OK, ::VariantChangeType(&number.v, &read.value.v, 0, VT_R8));
    EXPECT_EQ(row.expected, number.v.dblVal);
  }
  // The audio choice (44.1 kHz) was kept for the next control.
  TestHost second;
  DriveDialog(L"ｵｰﾃﾞｨｵ ﾌｫｰﾏｯﾄ", IDOK, nullptr);
  ASSERT_EQ(S_OK, CallMethod(second.control(), dispid::kShowAudioDialog).hr);
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, kTestSettingsKey, 0, KEY_QUERY_VALUE, &key));
  DWORD rate = 0;
  DWORD size = sizeof(rate);
  ::RegQueryValueExW(key, L"AudioSamplesPerSecond", nullptr, nullptr, reinterpret_cast<BYTE*>(&rate), &size);
  ::RegCloseKey(key);
  EXPECT_EQ(44100u, rate);
}

}  // namespace
}  // namespace morvane_test
