#include "messages.h"

#include <windows.h>

namespace halvern {

namespace {

// The texts are Shift-JIS bytes (code page 932), the form the tool keeps them in;
// each line carries the text it spells for the reader.
const MessageRow kMessages[] = {
    // ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x%08lx
    {MessageId::kLoadFailed, "\xcc\xa7\xb2\xd9\xb5\xb0\xcc\xdf\xdd\xb4\xd7\xb0 0x%08lx", TitleKind::kApplicationName, MB_ICONSTOP},
    // DllRegisterServer ｴﾝﾄﾘが見つかりません。
    {MessageId::kRegisterMissing, "DllRegisterServer \xb4\xdd\xc4\xd8\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // DllRegisterServer の呼び出しが失敗しました。
    {MessageId::kRegisterFailed, "DllRegisterServer \x82\xcc\x8c\xc4\x82\xd1\x8fo\x82\xb5\x82\xaa\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // 正常に登録できました。
    {MessageId::kRegistered, "\x90\xb3\x8f\xed\x82\xc9\x93o\x98^\x82\xc5\x82\xab\x82\xdc\x82\xb5\x82\xbd\x81" "B", TitleKind::kInformation, MB_ICONINFORMATION},
    // DllUnregisterServer ｴﾝﾄﾘが見つかりません。
    {MessageId::kRemoveMissing, "DllUnregisterServer \xb4\xdd\xc4\xd8\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // DllUnregisterServer の呼び出しが失敗しました。
    {MessageId::kRemoveFailed, "DllUnregisterServer \x82\xcc\x8c\xc4\x82\xd1\x8fo\x82\xb5\x82\xaa\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // 正常に削除できました。
    {MessageId::kRemoved, "\x90\xb3\x8f\xed\x82\xc9\x8d\xed\x8f\x9c\x82\xc5\x82\xab\x82\xdc\x82\xb5\x82\xbd\x81" "B", TitleKind::kInformation, MB_ICONINFORMATION},
    // OLE ｼｽﾃﾑの初期化ができません。
    {MessageId::kOleInitFailed, "OLE \xbc\xbd\xc3\xd1\x82\xcc\x8f\x89\x8a\xfa\x89\xbb\x82\xaa\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // ﾊﾟｽ名が 255 文字を超えています。
    {MessageId::kPathTooLong, "\xca\xdf\xbd\x96\xbc\x82\xaa 255 \x95\xb6\x8e\x9a\x82\xf0\x92\xb4\x82\xa6\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // ﾊﾟｽ名に使用できない文字が含まれています。
    {MessageId::kPathNotCp932, "\xca\xdf\xbd\x96\xbc\x82\xc9\x8eg\x97p\x82\xc5\x82\xab\x82\xc8\x82\xa2\x95\xb6\x8e\x9a\x82\xaa\x8a\xdc\x82\xdc\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // DllRegisterServer の呼び出し中に例外 0x%08lx が発生しました。
    {MessageId::kRegisterCrashed, "DllRegisterServer \x82\xcc\x8c\xc4\x82\xd1\x8fo\x82\xb5\x92\x86\x82\xc9\x97\xe1\x8aO 0x%08lx \x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // DllUnregisterServer の呼び出し中に例外 0x%08lx が発生しました。
    {MessageId::kRemoveCrashed, "DllUnregisterServer \x82\xcc\x8c\xc4\x82\xd1\x8fo\x82\xb5\x92\x86\x82\xc9\x97\xe1\x8aO 0x%08lx \x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
    // 予期しないｴﾗｰが発生しました。
    {MessageId::kUnexpectedError, "\x97\x5c\x8a\xfa\x82\xb5\x82\xc8\x82\xa2\xb4\xd7\xb0\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B", TitleKind::kApplicationName, MB_ICONSTOP},
};

}  // namespace

// 情報
const char kInformationTitle932[] = "\x8f\xee\x95\xf1";

const MessageRow& Message(MessageId id) {
  for (const MessageRow& row : kMessages) {
    if (row.id == id) return row;
  }
  // Every id has a row; the first one is the least harmful fallback.
  return kMessages[0];
}

std::string FormatWithCode(MessageId id, DWORD code) {
  // 128 bytes hold the longest result (56 bytes of text and 10 of number)
  // with room to spare; wsprintfA itself has no bound.
  char buffer[128] = {};
  wsprintfA(buffer, Message(id).text932, static_cast<unsigned long>(code));
  return buffer;
}

std::string FormatLoadFailure(DWORD code) { return FormatWithCode(MessageId::kLoadFailed, code); }

}  // namespace halvern
