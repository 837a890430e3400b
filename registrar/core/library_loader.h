// Loading the library that the user named.
#pragma once

#include <windows.h>

#include <string>

#include "basics/handles.h"

namespace halvern {

using Library = basics::UniqueHmodule;

// True when the path (Shift-JIS bytes) names a directory: a path separator or
// a drive colon anywhere. Decided on the decoded text, because a Shift-JIS
// trail byte can be 0x5C, the backslash.
bool NamesDirectory(const std::string& path932);

// The name handed to the loader: a path with a directory made full against
// the current directory (relative ones such as "sub\x.ocx" included), a bare
// name unchanged. Empty when the full path cannot be formed; `last_error` then
// holds the reason.
std::wstring LoaderName(const std::string& path932, DWORD& last_error);

// Loads the library. A path with a directory is loaded by its full path with
// the altered search path, so that the DLLs an OCX depends on are found beside
// it (the altered search path is defined for full paths only); a bare name
// keeps the platform's search order. On failure returns null and `last_error`
// holds the thread's last-error code, read right after the failed call.
Library LoadNamedLibrary(const std::string& path932, DWORD& last_error);

}  // namespace halvern
