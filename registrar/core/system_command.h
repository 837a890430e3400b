// The About item's system command.
#pragma once

#include <windows.h>

namespace halvern {

constexpr UINT kSysCommandAbout = 0x0010;

// The system uses the low four bits of a system command for itself, so they
// are masked off before the id is compared.
constexpr bool IsAboutCommand(WPARAM command) { return (command & 0xFFF0) == kSysCommandAbout; }

}  // namespace halvern
