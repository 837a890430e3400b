// The registry rows that registering a type library writes (the library's
// own key and one key per interface that is marshalled through the type
// library), read from the library itself so that they follow the IDL.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wix_rows.h"

namespace kit_msi {

// {XXXXXXXX-...} as the registry writes class and library ids.
std::wstring GuidText(REFGUID guid);

struct TypeLibraryRowSet {
  std::vector<WixRow> rows;  // in the registry view of the library's own bitness
  // A 64-bit library's interface keys once more, for the 32-bit view: 64-bit
  // RegisterTypeLib writes them in both views so that 32-bit clients can
  // marshal the interfaces too. Empty for a 32-bit library.
  std::vector<WixRow> other_view_rows;
};

// file: the OCX (or .tlb) to read the library from. installed_file and
// installed_folder: the texts that stand for the installed OCX and its folder.
// Throws std::runtime_error when the library cannot be read.
TypeLibraryRowSet TypeLibraryRows(const std::wstring& file, const std::wstring& installed_file,
                                  const std::wstring& installed_folder);

}  // namespace kit_msi
