// Reading a message box of another process: its text, title, icon, buttons.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

// Icons a message box can carry. Icon handles do not cross processes, so the
// icon is told by its pixels on the screen, compared with the system icons.
enum class BoxIcon { None, Stop, Information, Question, Exclamation, Unknown };

bool ParseBoxIcon(const std::string& name, BoxIcon& icon);
const char* BoxIconName(BoxIcon icon);

struct BoxContents {
  std::wstring text;
  std::wstring title;
  BoxIcon icon = BoxIcon::Unknown;
};

// A visible dialog-class window owned by `owner` (any owner when null) in
// process `processId` (any process when 0).
HWND FindOwnedBox(HWND owner, DWORD processId);

BoxContents ReadBox(HWND box);

// Button ids by the names used in scripts: ok, cancel, abort, retry, ignore, yes, no.
bool ButtonIdByName(const std::string& name, int& id);

}  // namespace uidriver
