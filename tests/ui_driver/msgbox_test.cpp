// Reading real message boxes: text, title and each icon told by its pixels.
#include "msgbox.h"

#include <gtest/gtest.h>

#include <thread>

namespace uidriver {
namespace {

struct BoxCase {
  UINT style;
  const wchar_t* text;
  const wchar_t* title;
  BoxIcon icon;
  int answer;
};

const BoxCase kBoxCases[] = {
    {MB_OK, L"plain text", L"Plain", BoxIcon::None, IDOK},
    {MB_OK | MB_ICONSTOP, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x0000007e", L"Halvern", BoxIcon::Stop, IDOK},
    {MB_OK | MB_ICONINFORMATION, L"正常に登録できました。", L"情報", BoxIcon::Information, IDOK},
    {MB_YESNO | MB_ICONQUESTION, L"Go on?", L"Question", BoxIcon::Question, IDNO},
    {MB_OKCANCEL | MB_ICONEXCLAMATION, L"Careful", L"Warning", BoxIcon::Exclamation, IDCANCEL},
};

HWND WaitForBox() {
  for (int i = 0; i < 250; ++i) {
    if (HWND box = FindOwnedBox(nullptr, GetCurrentProcessId())) return box;
    Sleep(20);
  }
  return nullptr;
}

TEST(MessageBoxReader, ReadsTextTitleAndIcon) {
  for (const BoxCase& c : kBoxCases) {
    SCOPED_TRACE(BoxIconName(c.icon));
    int result = 0;
    std::thread shower([&] { result = MessageBoxW(nullptr, c.text, c.title, c.style); });
    HWND box = WaitForBox();
    if (box) {
      // The icon is read from the screen: give a busy machine time to paint it.
      BoxContents seen = ReadBox(box);
      for (int i = 0; i < 150 && seen.icon != c.icon; ++i) {
        Sleep(20);
        seen = ReadBox(box);
      }
      EXPECT_EQ(seen.text, c.text);
      EXPECT_EQ(seen.title, c.title);
      EXPECT_EQ(seen.icon, c.icon) << BoxIconName(seen.icon);
      PostMessageW(GetDlgItem(box, c.answer), BM_CLICK, 0, 0);
    }
    shower.join();
    ASSERT_NE(box, nullptr) << "no box appeared";
    EXPECT_EQ(result, c.answer);
  }
}

struct NameCase {
  const char* name;
  bool known;
  BoxIcon icon;
};

const NameCase kIconNames[] = {
    {"none", true, BoxIcon::None},          {"stop", true, BoxIcon::Stop},
    {"info", true, BoxIcon::Information},   {"question", true, BoxIcon::Question},
    {"exclamation", true, BoxIcon::Exclamation}, {"unknown", false, BoxIcon::Unknown},
    {"Stop", false, BoxIcon::Unknown},      {"", false, BoxIcon::Unknown},
};

TEST(MessageBoxReader, IconNames) {
  for (const NameCase& c : kIconNames) {
    BoxIcon icon = BoxIcon::Unknown;
    EXPECT_EQ(ParseBoxIcon(c.name, icon), c.known) << c.name;
    EXPECT_EQ(icon, c.icon) << c.name;
    if (c.known) {
      EXPECT_STREQ(BoxIconName(icon), c.name);
    }
  }
}

TEST(MessageBoxReader, ButtonNames) {
  const std::pair<const char*, int> known[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT},
                                               {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"yes", IDYES},
                                               {"no", IDNO}};
  for (const auto& [name, id] : known) {
    int seen = 0;
    EXPECT_TRUE(ButtonIdByName(name, seen)) << name;
    EXPECT_EQ(seen, id) << name;
  }
  int seen = -5;
  EXPECT_FALSE(ButtonIdByName("OK", seen));
  EXPECT_FALSE(ButtonIdByName("close", seen));
  EXPECT_EQ(seen, -5);
}

}  // namespace
}  // namespace uidriver
