// The tool's message texts and how each is shown.
#pragma once

#include <windows.h>

#include <string>

namespace halvern {

enum class MessageId {
  kLoadFailed,
  kRegisterMissing,
  kRegisterFailed,
  kRegistered,
  kRemoveMissing,
  kRemoveFailed,
  kRemoved,
  kOleInitFailed,
  kPathTooLong,
  kPathNotCp932,
  kRegisterCrashed,
  kRemoveCrashed,
  kUnexpectedError,
};

// Boxes titled with the application's name pass no title of their own.
enum class TitleKind { kApplicationName, kInformation };

struct MessageRow {
  MessageId id;
  const char* text932;  // Shift-JIS bytes
  TitleKind title;
  UINT icon;            // MB_ICONSTOP or MB_ICONINFORMATION
};

const MessageRow& Message(MessageId id);

// "情報" in Shift-JIS: the title of the success boxes.
extern const char kInformationTitle932[];

// A row's text with its one "0x%08lx" filled in.
std::string FormatWithCode(MessageId id, DWORD code);

// The load-failure text for a last-error code, e.g. "ﾌｧｲﾙｵｰﾌﾟﾝｴﾗｰ 0x0000007e".
std::string FormatLoadFailure(DWORD code);

}  // namespace halvern
