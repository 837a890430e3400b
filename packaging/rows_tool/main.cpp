// kit_msi_rows: writes the installer's registry rows for Morvane.ocx as a WiX
// include, from the table the control's self-registration walks and from the
// type library inside the OCX, so that installing the kit writes the same
// keys as regsvr32 does.
//   kit_msi_rows OCX OUTPUT.wxi OTHER_VIEW.wxi FILE_ID FOLDER_PROPERTY
// OUTPUT.wxi: the rows of the control's own component. OTHER_VIEW.wxi: for a
// 64-bit control, the interface keys that belong in the 32-bit registry view,
// for a component of their own (no rows for a 32-bit control).
// FILE_ID names the OCX's File element; FOLDER_PROPERTY the folder it lands in.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "morvane_guids.h"
#include "registry_rows.h"
#include "type_library_rows.h"
#include "wix_rows.h"

namespace {

std::vector<kit_msi::WixRow> ControlRows(const std::wstring& installed_file) {
  const std::wstring clsid = kit_msi::GuidText(CLSID_Morvane);
  const std::wstring libid = kit_msi::GuidText(LIBID_MORVANELib);
  std::vector<kit_msi::WixRow> rows;
  for (const morvane::RegistryRow& row : morvane::RegistryRows()) {
    rows.push_back({morvane::ExpandRegistryText(row.key, clsid, libid, installed_file),
                    row.value_name ? row.value_name : L"",
                    morvane::ExpandRegistryText(row.data, clsid, libid, installed_file)});
  }
  return rows;
}

bool WriteFile(const wchar_t* path, const std::string& text) {
  FILE* out = _wfopen(path, L"wb");
  if (!out) {
    std::fprintf(stderr, "kit_msi_rows: cannot write %ls\n", path);
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  const bool closed = std::fclose(out) == 0;
  if (!written || !closed) {
    std::fprintf(stderr, "kit_msi_rows: writing %ls failed\n", path);
    return false;
  }
  return true;
}

int Run(int argc, wchar_t** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: kit_msi_rows OCX OUTPUT.wxi OTHER_VIEW.wxi FILE_ID FOLDER_PROPERTY\n");
    return 2;
  }
  const std::wstring installed_file = L"[#" + std::wstring(argv[4]) + L"]";
  const std::wstring installed_folder = L"[" + std::wstring(argv[5]) + L"]";
  std::vector<kit_msi::WixRow> rows = ControlRows(installed_file);
  const kit_msi::TypeLibraryRowSet library = kit_msi::TypeLibraryRows(argv[1], installed_file, installed_folder);
  rows.insert(rows.end(), library.rows.begin(), library.rows.end());

  if (!WriteFile(argv[2], kit_msi::WixInclude(rows, false))) return 1;
  if (!WriteFile(argv[3], kit_msi::WixInclude(library.other_view_rows, true))) return 1;
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // COM's type library functions want an initialised thread.
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::fprintf(stderr, "kit_msi_rows: COM cannot be initialised\n");
    return 1;
  }
  int status = 1;
  try {
    status = Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kit_msi_rows: %s\n", error.what());
  }
  ::CoUninitialize();
  return status;
}
