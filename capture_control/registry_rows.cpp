#include "registry_rows.h"

#include <iterator>

namespace morvane {
namespace {

const RegistryRow kRows[] = {
    {L"CLSID\\{clsid}", nullptr, L"Morvane Control"},
    {L"CLSID\\{clsid}\\InprocServer32", nullptr, L"{path}"},
    {L"CLSID\\{clsid}\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\{clsid}\\ProgID", nullptr, L"MORVANELib.Morvane.1"},
    {L"CLSID\\{clsid}\\VersionIndependentProgID", nullptr, L"MORVANELib.Morvane"},
    {L"CLSID\\{clsid}\\Control", nullptr, L""},
    // Activate when visible, inside-out, set the client site first, recompose on resize.
    {L"CLSID\\{clsid}\\MiscStatus", nullptr, L"0"},
    {L"CLSID\\{clsid}\\MiscStatus\\1", nullptr, L"131473"},
    {L"CLSID\\{clsid}\\ToolboxBitmap32", nullptr, L"{path}, 1"},
    {L"CLSID\\{clsid}\\TypeLib", nullptr, L"{libid}"},
    {L"CLSID\\{clsid}\\Version", nullptr, L"1.0"},
    {L"MORVANELib.Morvane", nullptr, L"Morvane Control"},
    {L"MORVANELib.Morvane\\CLSID", nullptr, L"{clsid}"},
    {L"MORVANELib.Morvane\\CurVer", nullptr, L"MORVANELib.Morvane.1"},
    {L"MORVANELib.Morvane.1", nullptr, L"Morvane Control"},
    {L"MORVANELib.Morvane.1\\CLSID", nullptr, L"{clsid}"},
};

const wchar_t* const kOwnedTrees[] = {
    L"CLSID\\{clsid}",
    L"MORVANELib.Morvane",
    L"MORVANELib.Morvane.1",
};

}  // namespace

Table<RegistryRow> RegistryRows() { return {kRows, std::size(kRows)}; }

Table<const wchar_t*> OwnedRegistryTrees() { return {kOwnedTrees, std::size(kOwnedTrees)}; }

std::wstring ExpandRegistryText(const wchar_t* text, const std::wstring& clsid, const std::wstring& libid,
                                const std::wstring& path) {
  struct Placeholder {
    const wchar_t* name;
    const std::wstring* value;
  };
  const Placeholder placeholders[] = {{L"{clsid}", &clsid}, {L"{libid}", &libid}, {L"{path}", &path}};
  std::wstring result = text ? text : L"";
  for (const Placeholder& placeholder : placeholders) {
    const std::wstring name = placeholder.name;
    for (size_t at = result.find(name); at != std::wstring::npos;
         at = result.find(name, at + placeholder.value->size())) {
      result.replace(at, name.size(), *placeholder.value);
    }
  }
  return result;
}

}  // namespace morvane
