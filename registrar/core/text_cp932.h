// Conversions between the tool's 8-bit texts and the wide strings shown on screen.
#pragma once

#include <string>

namespace halvern {

// Shift-JIS bytes to UTF-16, whatever the system's ANSI code page is: the
// message texts are Japanese and would turn to garbage through an A function
// on a machine whose code page is not 932.
std::wstring FromCp932(const std::string& bytes);

// UTF-16 to Shift-JIS, exactly or not at all. The path travels as Shift-JIS
// like every other text of the tool; a character code page 932 cannot spell
// makes the conversion fail, because a '?' or a best-fit look-alike in its
// place could send the loader to a different file.
bool ToCp932(const std::wstring& text, std::string& bytes);

}  // namespace halvern
