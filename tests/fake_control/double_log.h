// The stand-in's record of every call it receives and every event it raises,
// one line each, written through at once so a test can read it while the
// program still runs. The file is named by MORVANE_DOUBLE_LOG.
#pragma once

#include <windows.h>

#include <string>

namespace morvane_double {

// "VT_I2 1", "VT_BSTR \"C:\\TEMP\\A.AVI\"", "VT_BYREF|VT_I2 0", "VT_R8 15" ...
std::string DescribeVariant(const VARIANT& value);

// UTF-16 to UTF-8 and back.
std::string ToUtf8(const wchar_t* text, size_t length);
std::wstring FromUtf8(const std::string& text);

// Each line opens the file named by the variable at that moment, so a test
// program may point one scenario after another at logs of their own.
class CallLog {
 public:
  static CallLog& Instance();
  void Write(const std::string& line) noexcept;
};

}  // namespace morvane_double
