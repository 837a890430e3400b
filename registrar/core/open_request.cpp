#include "open_request.h"

#include <cstddef>
#include <cstring>

namespace halvern {

namespace {

// "OLE ｺﾝﾄﾛｰﾙ (*.OCX)" and its pattern, as a double-terminated filter list (Shift-JIS).
const char kFilter[] = "OLE \xba\xdd\xc4\xdb\xb0\xd9 (*.OCX)\0*.OCX\0";
// "OLE ｺﾝﾄﾛｰﾙを選択"
const char kTitle[] = "OLE \xba\xdd\xc4\xdb\xb0\xd9\x82\xf0\x91I\x91\xf0";

#ifndef _WIN64
// The 32-bit tool hands the dialog the structure's old 76-byte layout.
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76, "old OPENFILENAMEA layout");
#endif

}  // namespace

void PrepareOpenRequest(OPENFILENAMEA& request, OpenRequestBuffers& buffers, HWND owner) {
  std::memset(&request, 0, sizeof(request));
  std::memset(&buffers, 0, sizeof(buffers));

  // A system directory longer than the buffer leaves no initial directory: the
  // dialog then starts where the platform chooses.
  const UINT length = GetSystemDirectoryA(buffers.initialDir, sizeof(buffers.initialDir));
  if (length == 0 || length >= sizeof(buffers.initialDir)) buffers.initialDir[0] = '\0';
  lstrcpyA(buffers.file, "*.ocx");

  request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  request.hwndOwner = owner;
  request.lpstrFilter = kFilter;
  request.nFilterIndex = 0;
  request.lpstrFile = buffers.file;
  request.nMaxFile = sizeof(buffers.file);
  request.lpstrFileTitle = buffers.fileTitle;
  request.nMaxFileTitle = sizeof(buffers.fileTitle);
  request.lpstrInitialDir = buffers.initialDir[0] ? buffers.initialDir : nullptr;
  request.lpstrTitle = kTitle;
  request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  request.lpstrDefExt = "OCX";
}

}  // namespace halvern
