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
    {MessageId::kLoadFailed, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x%08lx", TitleKind::kApplicationName, MB_ICONSTOP},
    {MessageId::kRegisterMissing, L"DllRegisterServer ｴﾝﾄﾘが見つかりません。", TitleKind::kApplicationName, MB_ICONSTOP},
    {MessageId::kRegisterFailed, L"DllRegisterServer の呼び出しが失敗しました。", TitleKind::kApplicationName,
     MB_ICONSTOP},
    {MessageId::kRegistered, L"正常に登録できました。", TitleKind::kInformation, MB_ICONINFORMATION},
    {MessageId::kRemoveMissing, L"DllUnregisterServer ｴﾝﾄﾘが見つかりません。", TitleKind::kApplicationName,
     MB_ICONSTOP},
    {MessageId::kRemoveFailed, L"DllUnregisterServer の呼び出しが失敗しました。", TitleKind::kApplicationName,
     MB_ICONSTOP},
    {MessageId::kRemoved, L"正常に削除できました。", TitleKind::kInformation, MB_ICONINFORMATION},
    {MessageId::kOleInitFailed, L"OLE ｼｽﾃﾑの初期化ができません。", TitleKind::kApplicationName, MB_ICONSTOP},
    {MessageId::kPathTooLong, L"ﾊﾟｽ名が 255 文字を超えています。", TitleKind::kApplicationName, MB_ICONSTOP},
    {MessageId::kPathNotCp932, L"ﾊﾟｽ名に使用できない文字が含まれています。", TitleKind::kApplicationName, MB_ICONSTOP},
    {MessageId::kRegisterCrashed, L"DllRegisterServer の呼び出し中に例外 0x%08lx が発生しました。",
     TitleKind::kApplicationName, MB_ICONSTOP},
    {MessageId::kRemoveCrashed, L"DllUnregisterServer の呼び出し中に例外 0x%08lx が発生しました。",
     TitleKind::kApplicationName, MB_ICONSTOP},
    {MessageId::kUnexpectedError, L"予期しないｴﾗｰが発生しました。", TitleKind::kApplicationName, MB_ICONSTOP},
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
  MessageId id;
  DWORD code;
  const wchar_t* text;
};

const FormatCase kFormatCases[] = {
    {MessageId::kLoadFailed, 0x7e, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x0000007e"},
    {MessageId::kLoadFailed, 0xc1, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x000000c1"},
    {MessageId::kLoadFailed, 0, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x00000000"},
    {MessageId::kLoadFailed, 0x8002801c, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x8002801c"},
    {MessageId::kLoadFailed, 0xffffffff, L"ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0xffffffff"},
    {MessageId::kRegisterCrashed, 0xc0000005, L"DllRegisterServer の呼び出し中に例外 0xc0000005 が発生しました。"},
    {MessageId::kRemoveCrashed, 0xffffffff, L"DllUnregisterServer の呼び出し中に例外 0xffffffff が発生しました。"},
};

TEST(Messages, CodesShowEightLowerCaseHexDigits) {
  for (const FormatCase& c : kFormatCases) {
    const std::string text = FormatWithCode(c.id, c.code);
    EXPECT_EQ(FromCp932(text), c.text) << std::hex << c.code;
    if (c.id == MessageId::kLoadFailed) {
      EXPECT_LT(text.size(), 64u);
      EXPECT_EQ(FormatLoadFailure(c.code), text);
    }
  }
}

struct DirectoryCase {
  const wchar_t* path;
  bool names_directory;
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
    std::string path932;
    ASSERT_TRUE(ToCp932(c.path, path932)) << c.path;
    EXPECT_EQ(NamesDirectory(path932), c.names_directory) << c.path;
  }
}

struct LoaderNameCase {
  const wchar_t* path;
  const wchar_t* name;  // "|" stands for the current directory with its trailing backslash
};

const LoaderNameCase kLoaderNameCases[] = {
    {L"hhctrl.ocx", L"hhctrl.ocx"},  // bare names keep the search order
    {L"表.ocx", L"表.ocx"},
    {L"sub\\x.ocx", L"|sub\\x.ocx"},
    {L"sub/x.ocx", L"|sub\\x.ocx"},
    {L".\\x.ocx", L"|x.ocx"},
    {L"sub\\..\\x.ocx", L"|x.ocx"},
    {L"表\\x.ocx", L"|表\\x.ocx"},
    {L"C:\\dir\\x.ocx", L"C:\\dir\\x.ocx"},
    {L"C:\\dir\\.\\sub\\..\\x.ocx", L"C:\\dir\\x.ocx"},
};

TEST(LibraryLoader, PathsWithADirectoryBecomeFullPaths) {
  wchar_t current[MAX_PATH] = {};
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
  std::wstring here = current;
  if (here.back() != L'\\') here += L'\\';
  for (const LoaderNameCase& c : kLoaderNameCases) {
    std::string path932;
    ASSERT_TRUE(ToCp932(c.path, path932)) << c.path;
    std::wstring expected = c.name;
    if (expected[0] == L'|') expected.replace(0, 1, here);
    DWORD error = 0xDEADBEEF;
    EXPECT_EQ(LoaderName(path932, error), expected) << c.path;
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS)) << c.path;
  }
}

struct SpellCase {
  const wchar_t* text;
  bool spellable;
};

const SpellCase kSpellCases[] = {
    {L"", true},
    {L"C:\\TEMP\\a.ocx", true},
    {L"C:\\表\\ｺﾝﾄﾛｰﾙ.ocx", true},
    {L"C:\\\xFF5E.ocx", true},   // ～, which code page 932 maps to and from itself
    {L"C:\\a\x0100.ocx", false},  // Ā: a best-fit conversion would give "A"
    {L"C:\\caf\x00E9.ocx", false},  // é
    {L"C:\\\xD83D\xDE00.ocx", false},  // a character outside the basic plane
    {L"C:\\\x20AC.ocx", false},  // €
};

TEST(TextCp932, ExactOrNotAtAll) {
  for (const SpellCase& c : kSpellCases) {
    std::string bytes = "stale";
    EXPECT_EQ(ToCp932(c.text, bytes), c.spellable) << c.text;
    if (c.spellable) {
      EXPECT_EQ(FromCp932(bytes), c.text);
    } else {
      EXPECT_EQ(bytes, "") << "an approximation was kept";
    }
  }
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
  OPENFILENAMEW request;
  std::memset(&request, 0xCC, sizeof(request));  // stale bytes must not survive
  OpenRequestBuffers buffers;
  std::memset(&buffers, 0xCC, sizeof(buffers));
  HWND owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1234));
  PrepareOpenRequest(request, buffers, owner);

  EXPECT_EQ(request.lStructSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400W));
#ifndef _WIN64
  EXPECT_EQ(request.lStructSize, 76u);
#endif
  EXPECT_EQ(request.hwndOwner, owner);
  EXPECT_EQ(request.hInstance, nullptr);
  // Wide texts decoded from Shift-JIS: compared with wide literals, so the
  // check holds whatever the ANSI code page is.
  const std::wstring filter_description = request.lpstrFilter;
  const std::wstring filter_pattern = request.lpstrFilter + filter_description.size() + 1;
  EXPECT_EQ(filter_description, L"OLE ｺﾝﾄﾛｰﾙ (*.OCX)");
  EXPECT_EQ(filter_pattern, L"*.OCX");
  EXPECT_EQ(request.lpstrFilter[filter_description.size() + 1 + filter_pattern.size() + 1], L'\0');
  EXPECT_EQ(request.lpstrCustomFilter, nullptr);
  EXPECT_EQ(request.nMaxCustFilter, 0u);
  EXPECT_EQ(request.nFilterIndex, 0u);
  EXPECT_EQ(request.lpstrFile, buffers.file);
  EXPECT_STREQ(request.lpstrFile, L"*.ocx");
  EXPECT_EQ(request.nMaxFile, 256u);
  EXPECT_EQ(request.lpstrFileTitle, buffers.file_title);
  EXPECT_EQ(request.nMaxFileTitle, 16u);
  EXPECT_EQ(buffers.file_title[0], L'\0');

  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  ASSERT_NE(request.lpstrInitialDir, nullptr);
  EXPECT_STREQ(request.lpstrInitialDir, system);
  EXPECT_STREQ(request.lpstrTitle, L"OLE ｺﾝﾄﾛｰﾙを選択");
  EXPECT_EQ(request.Flags, 0x1800u);
  EXPECT_EQ(request.nFileOffset, 0);
  EXPECT_EQ(request.nFileExtension, 0);
  EXPECT_STREQ(request.lpstrDefExt, L"OCX");
  EXPECT_EQ(request.lCustData, 0);
  EXPECT_EQ(request.lpfnHook, nullptr);
  EXPECT_EQ(request.lpTemplateName, nullptr);
}

}  // namespace
}  // namespace halvern
