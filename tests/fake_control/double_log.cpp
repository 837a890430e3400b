#include "double_log.h"

#include <cstdio>
#include <vector>

namespace morvane_double {
namespace {

struct TypeName {
  VARTYPE type;
  const char* name;
};

constexpr TypeName kTypeNames[] = {
    {VT_EMPTY, "VT_EMPTY"}, {VT_NULL, "VT_NULL"}, {VT_I2, "VT_I2"},       {VT_I4, "VT_I4"},
    {VT_R4, "VT_R4"},       {VT_R8, "VT_R8"},     {VT_BSTR, "VT_BSTR"},   {VT_BOOL, "VT_BOOL"},
    {VT_UI1, "VT_UI1"},     {VT_UI2, "VT_UI2"},   {VT_UI4, "VT_UI4"},     {VT_INT, "VT_INT"},
    {VT_CY, "VT_CY"},       {VT_DATE, "VT_DATE"}, {VT_VARIANT, "VT_VARIANT"}, {VT_DISPATCH, "VT_DISPATCH"},
};

std::string TypeText(VARTYPE type) {
  std::string text = (type & VT_BYREF) ? "VT_BYREF|" : "";
  const VARTYPE base = type & VT_TYPEMASK;
  for (const TypeName& t : kTypeNames) {
    if (t.type == base) return text + t.name;
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "VT_0x%X", static_cast<unsigned>(base));
  return text + buffer;
}

std::string Quoted(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string Number(double value, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

}  // namespace

std::string ToUtf8(const wchar_t* text, size_t length) {
  if (!text || length == 0) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string DescribeVariant(const VARIANT& value) {
  const VARTYPE type = value.vt;
  const bool by_ref = (type & VT_BYREF) != 0;
  std::string text = TypeText(type);
  if (by_ref && !value.byref) return text + " null";
  switch (type & VT_TYPEMASK) {
    case VT_EMPTY:
    case VT_NULL:
      return text;
    case VT_I2:
      return text + " " + std::to_string(by_ref ? *value.piVal : value.iVal);
    case VT_I4:
      return text + " " + std::to_string(by_ref ? *value.plVal : value.lVal);
    case VT_BOOL:
      return text + " " + std::to_string(by_ref ? *value.pboolVal : value.boolVal);
    case VT_R4:
      return text + " " + Number(by_ref ? *value.pfltVal : value.fltVal, 7);
    case VT_R8:
      return text + " " + Number(by_ref ? *value.pdblVal : value.dblVal, 15);
    case VT_BSTR: {
      BSTR s = by_ref ? *value.pbstrVal : value.bstrVal;
      return text + " " + Quoted(ToUtf8(s, s ? SysStringLen(s) : 0));
    }
    default: {
      VARIANT copy;
      VariantInit(&copy);
      std::string shown = text + " ?";
      if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&value), 0, VT_BSTR))) {
        shown = text + " " + Quoted(ToUtf8(copy.bstrVal, SysStringLen(copy.bstrVal)));
      }
      VariantClear(&copy);
      return shown;
    }
  }
}

CallLog& CallLog::Instance() {
  static CallLog log;
  return log;
}

void CallLog::Write(const std::string& line) noexcept {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"MORVANE_DOUBLE_LOG", path, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return;
  // Shared for reading and appending: tests read it while the program runs.
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  WriteFile(file, "\n", 1, &written, nullptr);
  CloseHandle(file);
}

}  // namespace morvane_double
