#include "wix_rows.h"

#include <windows.h>

namespace kit_msi {
namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
  return out;
}

std::string XmlAttribute(const std::wstring& text) {
  struct Entity {
    char plain;
    const char* escaped;
  };
  static const Entity kEntities[] = {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}};
  std::string out;
  for (char c : Utf8(text)) {
    const char* escaped = nullptr;
    for (const Entity& entity : kEntities) {
      if (entity.plain == c) escaped = entity.escaped;
    }
    if (escaped) {
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string WixInclude(const std::vector<WixRow>& rows, bool first_is_key_path) {
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
  out += "<!-- Written by kit_msi_rows from the control's registration table and type library. -->\n";
  out += "<Include>\n";
  bool key_path = first_is_key_path;
  for (const WixRow& row : rows) {
    out += "  <RegistryValue Root=\"HKCR\" Key=\"" + XmlAttribute(row.key) + "\"";
    if (key_path) out += " KeyPath=\"yes\"";
    key_path = false;
    if (!row.value_name.empty()) out += " Name=\"" + XmlAttribute(row.value_name) + "\"";
    out += " Type=\"string\" Value=\"" + XmlAttribute(row.data) + "\" />\n";
  }
  out += "</Include>\n";
  return out;
}

}  // namespace kit_msi
