#include "capture_error.h"

#include <cstddef>
#include <cwchar>

namespace morvane {
namespace {

// The user messages, one per kind; %s stands for the file name.
struct MessageRow {
  CaptureErrorKind kind;
  const wchar_t* text;
};

constexpr MessageRow kMessages[] = {
    {CaptureErrorKind::kEmptyPath, L"ファイル名が指定されていません。"},
    {CaptureErrorKind::kIsDirectory, L"「%s」はフォルダーです。ファイル名を指定してください。"},
    {CaptureErrorKind::kCannotCreate, L"ファイル「%s」を作成できません。"},
    {CaptureErrorKind::kWriteFailed, L"ファイル「%s」への書き込みに失敗しました。"},
    {CaptureErrorKind::kDiskFull, L"ディスクの空き容量が足りないため、ファイル「%s」に書き込めません。"},
    {CaptureErrorKind::kInvalidFormat, L"キャプチャ形式が正しくありません。"},
    {CaptureErrorKind::kInvalidArgument, L"フレームのデータが正しくありません。"},
    {CaptureErrorKind::kFileTooLong, L"ファイル「%s」はこれ以上長くできません。"},
    {CaptureErrorKind::kClosed, L"ファイル「%s」は既に閉じられています。"},
};

std::wstring Template(CaptureErrorKind kind) {
  for (const MessageRow& row : kMessages) {
    if (row.kind == kind) return row.text;
  }
  return L"キャプチャでエラーが発生しました。";
}

std::wstring PathText(const std::filesystem::path& path) {
  // Natively a path holds bytes; a name that is not valid UTF-8 must still
  // give a message rather than a second exception.
  try {
    return path.wstring();
  } catch (const std::exception&) {
    std::wstring text;
    for (unsigned char c : path.string()) text += c < 0x80 ? static_cast<wchar_t>(c) : L'?';
    return text;
  }
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

CaptureError::CaptureError(CaptureErrorKind kind, std::wstring message, std::uint32_t system_code)
    : std::runtime_error(ToUtf8(message)),
      kind_(kind),
      message_(std::move(message)),
      system_code_(system_code) {}

CaptureError MakeFileError(CaptureErrorKind kind, const std::filesystem::path& path,
                           std::uint32_t system_code) {
  std::wstring text = Template(kind);
  const std::size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, PathText(path));
  return CaptureError(kind, std::move(text), system_code);
}

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size() * 3);
  constexpr std::uint32_t kReplacement = 0xFFFD;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = static_cast<std::uint32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size()) {
        const std::uint32_t low = static_cast<std::uint32_t>(text[i + 1]);
        if (low >= 0xDC00 && low < 0xE000) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if ((cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) cp = kReplacement;
    AppendUtf8(out, cp);
  }
  return out;
}

}  // namespace morvane
