// The registry rows of the control's class and program ids: written by its
// self-registration and, through a generator, by the kit's installer, so that
// both put exactly the same keys in place.
#pragma once

#include <cstddef>
#include <string>

namespace morvane {

// One value under HKEY_CLASSES_ROOT. In key and data, {clsid}, {libid} and
// {path} stand for the class id, the type library id and the OCX's full path.
struct RegistryRow {
  const wchar_t* key;
  const wchar_t* value_name;  // nullptr: the key's default value
  const wchar_t* data;
};

template <typename T>
struct Table {
  const T* first;
  size_t size;
  const T* begin() const { return first; }
  const T* end() const { return first + size; }
};

// Every value the registration writes, in the order it writes them.
Table<RegistryRow> RegistryRows();
// The trees that are ours alone; removing them removes every row.
Table<const wchar_t*> OwnedRegistryTrees();

// Replaces the placeholders of a row's text.
std::wstring ExpandRegistryText(const wchar_t* text, const std::wstring& clsid, const std::wstring& libid,
                                const std::wstring& path);

}  // namespace morvane
