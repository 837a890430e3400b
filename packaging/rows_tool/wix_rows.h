// Registry rows as the installer writes them: one value under
// HKEY_CLASSES_ROOT each, with the text already in the installer's terms.
#pragma once

#include <string>
#include <vector>

namespace kit_msi {

struct WixRow {
  std::wstring key;
  std::wstring value_name;  // empty: the key's default value
  std::wstring data;
};

// The rows written as a WiX include of RegistryValue elements, for the
// component that installs them. first_is_key_path: the first row is the key
// path of a component that has no file.
std::string WixInclude(const std::vector<WixRow>& rows, bool first_is_key_path);

}  // namespace kit_msi
