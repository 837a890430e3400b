// UTF-8 script text and the UTF-16 strings of the Windows API.
#pragma once

#include <string>

namespace uidriver {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// A control id written in decimal or as 0x-prefixed hexadecimal.
bool ParseNumber(const std::string& text, long& value);

}  // namespace uidriver
