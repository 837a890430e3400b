// The one guard at the end of every dialog procedure: an exception that
// escapes a handler is reported to the user instead of unwinding through the
// system's dialog manager, which is not safe with MinGW on i686.
#pragma once

#include <windows.h>

#include <string>

namespace halvern {

// The text shown for the exception being handled: "予期しないｴﾗｰが発生しました。"
// and, for a standard exception, its what() on the next line. Our exceptions
// carry Shift-JIS texts like every other text of the tool (the runtime's own
// are ASCII, which code page 932 spells the same), so what() is decoded from
// code page 932. Call only inside a catch block.
std::wstring EscapedExceptionText();

// Shows that text in a stop box owned by `owner`. Never throws; a report
// raised while another is open is dropped, so a handler that keeps failing
// (a paint, say) cannot stack boxes.
void ReportEscapedException(HWND owner) noexcept;

}  // namespace halvern
