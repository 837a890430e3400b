// Conversions between the tool's 8-bit texts and the wide strings shown on screen.
#pragma once

#include <string>

namespace halvern {

// Shift-JIS bytes to UTF-16, whatever the system's ANSI code page is: the
// message texts are Japanese and would turn to garbage through an A function
// on a machine whose code page is not 932.
std::wstring FromCp932(const std::string& bytes);

// The path travels in the system's ANSI code page, the one the loader's and
// the file-open dialog's A functions speak.
std::wstring FromAnsi(const std::string& bytes);

// Characters the ANSI code page cannot spell become '?', never a look-alike
// (no best-fit mapping), so the loader cannot be sent to a different file.
std::string ToAnsi(const std::wstring& text);

}  // namespace halvern
