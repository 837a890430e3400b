// The file-open request of the Browse command.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace halvern {

// The buffers the request points into; they must outlive the request.
struct OpenRequestBuffers {
  wchar_t file[256];         // preset to "*.ocx"; receives the full path
  wchar_t file_title[16];    // filled by the dialog, never read
  wchar_t initial_dir[256];  // the system directory
  wchar_t filter[32];        // "OLE ｺﾝﾄﾛｰﾙ (*.OCX)", "*.OCX", double-terminated
  wchar_t title[32];         // "OLE ｺﾝﾄﾛｰﾙを選択"
};

// Clears the request and fills it: owner, the OCX filter, "*.ocx" in the
// name box, the system directory to start in, the title, must-exist flags and
// the default extension. The size is the old (400) layout of the structure.
// The Japanese texts are decoded from their Shift-JIS bytes, so the dialog
// reads right whatever the system's code page is.
void PrepareOpenRequest(OPENFILENAMEW& request, OpenRequestBuffers& buffers, HWND owner);

// What came of the request, from GetOpenFileNameW's answer and
// CommDlgExtendedError.
enum class OpenOutcome {
  kChosen,       // `path932` holds the chosen file's full path
  kCancelled,    // or failed otherwise: nothing changes, nothing is reported
  kTooLong,      // the chosen path did not fit the 256-character buffer
  kUnspellable,  // the chosen path has characters code page 932 cannot spell
};

OpenOutcome ReadOpenOutcome(BOOL confirmed, DWORD extended_error, const OpenRequestBuffers& buffers,
                            std::string& path932);

}  // namespace halvern
