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
#ifdef _WIN32
  return path.wstring();
#else
  // Natively a path is bytes, by convention UTF-8. Decode it here rather than
  // through the locale, which in a service or test is often "C" and would
  // turn a Japanese name into an exception instead of a message.
  const std::string bytes = path.string();
  std::wstring text;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    std::uint32_t cp = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
    bool ok = extra >= 0;
    for (int k = 1; ok && k <= extra; ++k) {
      if (i + k >= bytes.size()) {
        ok = false;
        break;
      }
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      text += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    text += static_cast<wchar_t>(cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return text;
#endif
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
