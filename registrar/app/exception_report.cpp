#include "exception_report.h"

#include <exception>

#include "application.h"
#include "core/messages.h"
#include "core/text_cp932.h"

namespace halvern {

namespace {

bool g_reporting = false;

}  // namespace

std::wstring EscapedExceptionText() {
  std::wstring text = FromCp932(Message(MessageId::kUnexpectedError).text932);
  try {
    throw;
  } catch (const std::exception& e) {
    const std::wstring what = FromCp932(e.what());
    if (!what.empty()) text += L"\n" + what;
  } catch (...) {
    // Nothing more to say about an exception of another kind.
  }
  return text;
}

void ReportEscapedException(HWND owner) noexcept {
  if (g_reporting) return;
  g_reporting = true;
  try {
    const std::wstring text = EscapedExceptionText();
    Application::Instance().ShowMessage(owner, text, L"", MB_OK | MB_ICONSTOP);
  } catch (...) {
    // No memory left for the text: the same words from a constant, which
    // needs no allocation.
    MessageBoxW(owner, L"\u4e88\u671f\u3057\u306a\u3044\uff74\uff97\uff70\u304c\u767a\u751f\u3057\u307e\u3057\u305f\u3002",
                nullptr, MB_OK | MB_ICONSTOP);
  }
  g_reporting = false;
}

}  // namespace halvern
