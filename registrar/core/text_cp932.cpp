#include "text_cp932.h"

#include <windows.h>

namespace halvern {

namespace {

constexpr UINT kCodePage932 = 932;

}  // namespace

std::wstring FromCp932(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(kCodePage932, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage932, 0, bytes.data(), size, out.data(), n);
  return out;
}

bool ToCp932(const std::wstring& text, std::string& bytes) {
  bytes.clear();
  if (text.empty()) return true;
  const int size = static_cast<int>(text.size());
  BOOL used_default = FALSE;
  const int n = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr,
                                    &used_default);
  if (n <= 0 || used_default) return false;
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), n, nullptr, &used_default);
  // The way back must give the same text: this also catches a best-fit
  // mapping that a platform applied without reporting the default character.
  if (used_default || FromCp932(out) != text) return false;
  bytes = std::move(out);
  return true;
}

}  // namespace halvern
