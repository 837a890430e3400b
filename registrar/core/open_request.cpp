#include "open_request.h"

#include <cstddef>
#include <cstring>

#include "text_cp932.h"

namespace halvern {

namespace {

// "OLE ｺﾝﾄﾛｰﾙ (*.OCX)" and its pattern, as a double-terminated filter list (Shift-JIS).
const char kFilter932[] = "OLE \xba\xdd\xc4\xdb\xb0\xd9 (*.OCX)\0*.OCX\0";
// "OLE ｺﾝﾄﾛｰﾙを選択"
const char kTitle932[] = "OLE \xba\xdd\xc4\xdb\xb0\xd9\x82\xf0\x91I\x91\xf0";

#ifndef _WIN64
// The 32-bit tool hands the dialog the structure's old 76-byte layout.
static_assert(offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR) == 76, "old OPENFILENAMEW layout");
#endif

// Decodes `size` bytes (embedded terminators included) into a zeroed buffer;
// the texts are ours and fit, and a cut one would still end in a terminator.
template <size_t N>
void DecodeInto(wchar_t (&out)[N], const char* bytes, size_t size) {
  const std::wstring text = FromCp932(std::string(bytes, size));
  const size_t count = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(out, text.data(), count * sizeof(wchar_t));
}

}  // namespace

void PrepareOpenRequest(OPENFILENAMEW& request, OpenRequestBuffers& buffers, HWND owner) {
  std::memset(&request, 0, sizeof(request));
  std::memset(&buffers, 0, sizeof(buffers));

  // A system directory longer than the buffer leaves no initial directory: the
  // dialog then starts where the platform chooses.
  const UINT length = GetSystemDirectoryW(buffers.initial_dir, ARRAYSIZE(buffers.initial_dir));
  if (length == 0 || length >= ARRAYSIZE(buffers.initial_dir)) buffers.initial_dir[0] = L'\0';
  lstrcpyW(buffers.file, L"*.ocx");
  // Both texts end in the terminator the literal adds, which is decoded too.
  DecodeInto(buffers.filter, kFilter932, sizeof(kFilter932));
  DecodeInto(buffers.title, kTitle932, sizeof(kTitle932));

  request.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  request.hwndOwner = owner;
  request.lpstrFilter = buffers.filter;
  request.nFilterIndex = 0;
  request.lpstrFile = buffers.file;
  request.nMaxFile = ARRAYSIZE(buffers.file);
  request.lpstrFileTitle = buffers.file_title;
  request.nMaxFileTitle = ARRAYSIZE(buffers.file_title);
  request.lpstrInitialDir = buffers.initial_dir[0] ? buffers.initial_dir : nullptr;
  request.lpstrTitle = buffers.title;
  request.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  request.lpstrDefExt = L"OCX";
}

OpenOutcome ReadOpenOutcome(BOOL confirmed, DWORD extended_error, const OpenRequestBuffers& buffers,
                            std::string& path932) {
  path932.clear();
  if (!confirmed) return extended_error == FNERR_BUFFERTOOSMALL ? OpenOutcome::kTooLong : OpenOutcome::kCancelled;
  // The buffer always ends in a terminator the dialog wrote; the bound only
  // guards against one that did not.
  const std::wstring chosen(buffers.file, wcsnlen(buffers.file, ARRAYSIZE(buffers.file)));
  return ToCp932(chosen, path932) ? OpenOutcome::kChosen : OpenOutcome::kUnspellable;
}

}  // namespace halvern
