#include "forms/error_report.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace forms {
namespace {

constexpr long kOutOfMemory = 7;
constexpr long kInternalError = 51;

// Classic run-time error numbers are small; anything else is an HRESULT that
// a control or OLE reported, which users and support look up in hexadecimal.
bool IsHresult(long number) { return number < 0 || number > 0xFFFF; }

std::wstring SystemText(long hresult) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(hresult), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : L"";
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

std::wstring Widen(const char* text) {
  std::wstring out;
  int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (n > 1) {
    out.resize(static_cast<size_t>(n - 1));
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
  }
  return out;
}

}  // namespace

std::wstring ErrorReportText(const convert::RuntimeError& error) {
  wchar_t number[64];
  if (IsHresult(error.number())) {
    std::swprintf(number, 64, L"%ld (%08lX)", error.number(), static_cast<unsigned long>(error.number()));
  } else {
    std::swprintf(number, 64, L"%ld", error.number());
  }
  std::wstring description = error.description();
  if (description.empty() && IsHresult(error.number())) description = SystemText(error.number());
  if (description.empty()) description = L"オートメーション エラーです。";
  std::wstring text = L"実行時エラー '" + std::wstring(number) + L"':\n\n" + description;
  if (!error.source().empty()) text += L"\n\n(" + error.source() + L")";
  return text;
}

void ShowErrorReport(HWND owner, const convert::RuntimeError& error) {
  MessageBoxW(owner, ErrorReportText(error).c_str(), kProgramTitle, MB_OK | MB_ICONSTOP);
}

convert::RuntimeError CurrentExceptionAsRuntimeError() {
  try {
    throw;
  } catch (const convert::RuntimeError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return convert::RuntimeError(kOutOfMemory, L"メモリが不足しています。");
  } catch (const std::exception& e) {
    return convert::RuntimeError(kInternalError, L"内部エラーです。" + Widen(e.what()));
  } catch (...) {
    return convert::RuntimeError(kInternalError, L"内部エラーです。");
  }
}

}  // namespace forms
