// The control's settings: the ranges values are taken in, and the dialog
// that offers choices among them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "choice_dialog.h"
#include "settings.h"

namespace morvane {
namespace {

TEST(ChoiceDialogTest, TemplateHoldsALabelAndListPerFieldAndTwoButtons) {
  std::vector<ChoiceField> fields{{L"ｻｲｽﾞ:", {L"a", L"b"}, 1}, {L"色数:", {L"c"}, 0}};
  std::vector<WORD> words = BuildChoiceTemplate(L"ﾀｲﾄﾙ", fields);
  ASSERT_GE(words.size(), 9u);
  const auto* header = reinterpret_cast<const DLGTEMPLATE*>(words.data());
  EXPECT_EQ(6, header->cdit);
  EXPECT_TRUE(header->style & DS_SETFONT);
  // The title follows the menu and class words.
  EXPECT_EQ(std::wstring(L"ﾀｲﾄﾙ"), std::wstring(reinterpret_cast<const wchar_t*>(&words[11])));
  // Action buttons add a row between the fields and OK / Cancel.
  const std::vector<WORD> with_actions = BuildChoiceTemplate(L"ﾀｲﾄﾙ", fields, {{L"x", {}, {}}, {L"y", {}, {}}});
  const auto* taller = reinterpret_cast<const DLGTEMPLATE*>(with_actions.data());
  EXPECT_EQ(8, taller->cdit);
  EXPECT_GT(taller->cy, header->cy);
}

TEST(SettingsTest, Ranges) {
  struct Row {
    const char* name;
    IntegerRange range;
    double value;
    bool valid;
  };
  const Row rows[] = {
      {"rate 0.1 rounds to none", kCaptureRateRange, 0.1, false},
      {"rate 100", kCaptureRateRange, 100, true},
      {"rate 0", kCaptureRateRange, 0, false},
      {"rate NaN", kCaptureRateRange, std::nan(""), false},
      {"rate inf", kCaptureRateRange, INFINITY, false},
      {"preview 1", kPreviewRateRange, 1, true},
      {"preview 0.5", kPreviewRateRange, 0.5, false},
      {"limit 0", kTimeLimitRange, 0, true},
      {"limit -0.1", kTimeLimitRange, -0.1, true},
      {"limit -0.6", kTimeLimitRange, -0.6, false},
      {"limit a day", kTimeLimitRange, 86400, false},
  };
  for (const Row& row : rows) EXPECT_EQ(row.valid, RoundToRange(row.value, row.range).has_value()) << row.name;
  EXPECT_TRUE(IsValidAudioSetting(44100, 16, 2));
  EXPECT_FALSE(IsValidAudioSetting(48000, 16, 2));
  EXPECT_FALSE(IsValidAudioSetting(22050, 12, 1));
  EXPECT_FALSE(IsValidAudioSetting(22050, 8, 3));
}

}  // namespace
}  // namespace morvane
