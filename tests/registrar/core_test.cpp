// The tool's data and small rules: texts, formats, paths, arithmetic, the
// file-open request.
#include <gtest/gtest.h>

#include <cstring>

#include "app/application.h"
#include "core/icon_centre.h"
#include "core/library_loader.h"
#include "core/messages.h"
#include "core/open_request.h"
#include "core/system_command.h"
#include "core/text_cp932.h"

namespace halvern {
namespace {

struct MessageCase {
  MessageId id;
  const wchar_t* text;
  TitleKind title;
  UINT icon;
};

// What the user must read, decoded from the stored Shift-JIS bytes; compared
// with wide literals, so the check holds whatever the ANSI code page is.
const MessageCase kMessageCases[] = {
    {MessageId::LoadFailed, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x%08lx", TitleKind::ApplicationName, MB_ICONSTOP},
    {MessageId::RegisterMissing, L"DllRegisterServer ｴﾝﾄﾘが見つかりません。", TitleKind::ApplicationName, MB_ICONSTOP},
    {MessageId::RegisterFailed, L"DllRegisterServer の呼び出しが失敗しました。", TitleKind::ApplicationName,
     MB_ICONSTOP},
    {MessageId::Registered, L"正常に登録できました。", TitleKind::Information, MB_ICONINFORMATION},
    {MessageId::RemoveMissing, L"DllUnregisterServer ｴﾝﾄﾘが見つかりません。", TitleKind::ApplicationName,
     MB_ICONSTOP},
    {MessageId::RemoveFailed, L"DllUnregisterServer の呼び出しが失敗しました。", TitleKind::ApplicationName,
     MB_ICONSTOP},
    {MessageId::Removed, L"正常に削除できました。", TitleKind::Information, MB_ICONINFORMATION},
    {MessageId::OleInitFailed, L"OLE ｼｽﾃﾑの初期化ができません。", TitleKind::ApplicationName, MB_ICONSTOP},
};

TEST(Messages, DecodeToTheExactTextsWithTitleAndIcon) {
  for (const MessageCase& c : kMessageCases) {
    const MessageRow& row = Message(c.id);
    EXPECT_EQ(row.id, c.id);
    EXPECT_EQ(FromCp932(row.text932), c.text) << static_cast<int>(c.id);
    EXPECT_EQ(row.title, c.title) << static_cast<int>(c.id);
    EXPECT_EQ(row.icon, c.icon) << static_cast<int>(c.id);
  }
  EXPECT_EQ(FromCp932(kInformationTitle932), L"情報");
}

struct FormatCase {
  DWORD code;
  const wchar_t* text;
};

const FormatCase kFormatCases[] = {
    {0x7e, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x0000007e"},
    {0xc1, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x000000c1"},
    {0, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x00000000"},
    {0x8002801c, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x8002801c"},
    {0xffffffff, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0xffffffff"},
};

TEST(Messages, LoadFailureShowsEightLowerCaseHexDigits) {
  for (const FormatCase& c : kFormatCases) {
    const std::string text = FormatLoadFailure(c.code);
    EXPECT_LT(text.size(), 64u);
    EXPECT_EQ(FromCp932(text), c.text) << std::hex << c.code;
  }
}

struct DirectoryCase {
  const wchar_t* path;
  bool namesDirectory;
};

const DirectoryCase kDirectoryCases[] = {
    {L"", false},
    {L"hhctrl.ocx", false},
    {L"Morvane.ocx", false},
    {L"C:\\Windows\\System32\\hhctrl.ocx", true},
    {L"C:hhctrl.ocx", true},
    {L".\\a.ocx", true},
    {L"sub/a.ocx", true},
    {L"\\\\server\\share\\a.ocx", true},
    {L"\"C:\\quoted.ocx\"", true},
    // 表 is 0x95 0x5C in Shift-JIS: its trail byte is the backslash's code.
    {L"表.ocx", false},
    {L"C:\\表\\a.ocx", true},
};

TEST(LibraryLoader, TellsPathsWithADirectoryFromBareNames) {
  for (const DirectoryCase& c : kDirectoryCases) {
    const std::string ansi = ToAnsi(c.path);
    if (FromAnsi(ansi) != c.path) continue;  // not spellable in this ANSI code page
    EXPECT_EQ(NamesDirectory(ansi), c.namesDirectory) << FromAnsi(ansi).size();
  }
}

TEST(TextCp932, AnsiRoundTripAndNoBestFit) {
  EXPECT_EQ(FromAnsi(ToAnsi(L"C:\\TEMP\\a.ocx")), L"C:\\TEMP\\a.ocx");
  // A character the code page lacks must not turn into a look-alike that
  // could name another file.
  const std::string ansi = ToAnsi(L"C:\\a\x0100.ocx");  // Ā: in neither 932 nor 1252
  EXPECT_EQ(ansi.find('A'), std::string::npos);
  EXPECT_NE(ansi.find('?'), std::string::npos);
  EXPECT_EQ(FromAnsi(""), L"");
  EXPECT_EQ(ToAnsi(L""), "");
}

struct CentreCase {
  int client;
  int icon;
  int offset;
};

const CentreCase kCentreCases[] = {
    {33, 32, 1},   // 1 wider
    {32, 32, 0},   // equal
    {30, 32, 0},   // 2 narrower: -1/2 truncates toward zero
    {29, 32, -1},  // 3 narrower
    {28, 32, -1},
    {27, 32, -2},
    {160, 32, 64},
    {161, 32, 65},
    {0, 32, -15},
};

TEST(IconCentre, AddsOneBeforeHalvingAndTruncatesTowardZero) {
  for (const CentreCase& c : kCentreCases) {
    EXPECT_EQ(CentredIconOffset(c.client, c.icon), c.offset) << c.client << " " << c.icon;
  }
}

struct SysCommandCase {
  WPARAM command;
  bool about;
};

const SysCommandCase kSysCommandCases[] = {
    {0x0010, true},  {0x0011, true},  {0x0017, true},  {0x001F, true},
    {0x0000, false}, {0x000F, false}, {0x0020, false}, {0x0030, false},
    {SC_CLOSE, false}, {SC_MOVE, false}, {SC_MOVE | 0x2, false}, {SC_KEYMENU, false},
    {0x10010, true},  // only the low word carries the command
};

TEST(SystemCommand, AboutIgnoresTheLowFourBitsOnly) {
  for (const SysCommandCase& c : kSysCommandCases) {
    EXPECT_EQ(IsAboutCommand(c.command), c.about) << std::hex << c.command;
  }
  for (WPARAM low = 0; low < 16; ++low) EXPECT_TRUE(IsAboutCommand(0x0010 | low)) << low;
}

struct NameCase {
  const wchar_t* path;
  const wchar_t* name;
};

const NameCase kNameCases[] = {
    {L"C:\\Program Files\\Kit\\Halvern.exe", L"Halvern"},
    {L"Z:\\work\\bin\\Halvern.EXE", L"Halvern"},
    {L"Halvern.exe", L"Halvern"},
    {L"C:\\a.b\\Halvern", L"Halvern"},
    {L"C:\\dir\\my.tool.exe", L"my.tool"},
};

TEST(Application, NameIsTheExecutableFileNameWithoutExtension) {
  for (const NameCase& c : kNameCases) EXPECT_EQ(ApplicationNameFromPath(c.path), c.name) << c.path;
}

TEST(OpenRequest, MatchesTheBrowseRequest) {
  OPENFILENAMEA request;
  std::memset(&request, 0xCC, sizeof(request));  // stale bytes must not survive
  OpenRequestBuffers buffers;
  std::memset(&buffers, 0xCC, sizeof(buffers));
  HWND owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234));
  PrepareOpenRequest(request, buffers, owner);

  EXPECT_EQ(request.lStructSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A));
#ifndef _WIN64
  EXPECT_EQ(request.lStructSize, 76u);
#endif
  EXPECT_EQ(request.hwndOwner, owner);
  EXPECT_EQ(request.hInstance, nullptr);
  const std::string filterDescription = request.lpstrFilter;
  const std::string filterPattern = request.lpstrFilter + filterDescription.size() + 1;
  EXPECT_EQ(FromCp932(filterDescription), L"OLE ｺﾝﾄﾛｰﾙ (*.OCX)");
  EXPECT_EQ(filterPattern, "*.OCX");
  EXPECT_EQ(request.lpstrFilter[filterDescription.size() + 1 + filterPattern.size() + 1], '\0');
  EXPECT_EQ(request.lpstrCustomFilter, nullptr);
  EXPECT_EQ(request.nMaxCustFilter, 0u);
  EXPECT_EQ(request.nFilterIndex, 0u);
  EXPECT_EQ(request.lpstrFile, buffers.file);
  EXPECT_STREQ(request.lpstrFile, "*.ocx");
  EXPECT_EQ(request.nMaxFile, 256u);
  EXPECT_EQ(request.lpstrFileTitle, buffers.fileTitle);
  EXPECT_EQ(request.nMaxFileTitle, 16u);
  EXPECT_EQ(buffers.fileTitle[0], '\0');

  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  ASSERT_NE(request.lpstrInitialDir, nullptr);
  EXPECT_STREQ(request.lpstrInitialDir, system);
  EXPECT_EQ(FromCp932(request.lpstrTitle), L"OLE ｺﾝﾄﾛｰﾙを選択");
  EXPECT_EQ(request.Flags, 0x1800u);
  EXPECT_EQ(request.nFileOffset, 0);
  EXPECT_EQ(request.nFileExtension, 0);
  EXPECT_STREQ(request.lpstrDefExt, "OCX");
  EXPECT_EQ(request.lCustData, 0);
  EXPECT_EQ(request.lpfnHook, nullptr);
  EXPECT_EQ(request.lpTemplateName, nullptr);
}

}  // namespace
}  // namespace halvern
