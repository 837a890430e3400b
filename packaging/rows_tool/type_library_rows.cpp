#include "type_library_rows.h"

#include <windows.h>
#include <oleauto.h>

#include <iterator>
#include <stdexcept>

#include <wrl/client.h>

namespace kit_msi {
namespace {

using Microsoft::WRL::ComPtr;

// Interfaces that go through the type library marshaller: dispatch
// interfaces by the IDispatch proxy, automation-compatible ones by the
// universal one.
const wchar_t kDispatchProxy[] = L"{00020420-0000-0000-C000-000000000046}";
const wchar_t kUniversalProxy[] = L"{00020424-0000-0000-C000-000000000046}";

struct SystemKindName {
  SYSKIND kind;
  const wchar_t* name;
};
const SystemKindName kSystemKinds[] = {{SYS_WIN16, L"win16"}, {SYS_WIN32, L"win32"}, {SYS_WIN64, L"win64"}};

void ThrowIfFailed(HRESULT hr, const char* what) {
  if (FAILED(hr)) {
    char text[160];
    wsprintfA(text, "%s failed: 0x%08lX", what, static_cast<unsigned long>(hr));
    throw std::runtime_error(text);
  }
}

std::wstring Hex(unsigned value) {
  wchar_t text[16];
  wsprintfW(text, L"%x", value);
  return text;
}

std::wstring Decimal(unsigned value) {
  wchar_t text[16];
  wsprintfW(text, L"%u", value);
  return text;
}

std::wstring SystemKindText(SYSKIND kind) {
  for (const SystemKindName& entry : kSystemKinds) {
    if (entry.kind == kind) return entry.name;
  }
  throw std::runtime_error("type library of an unknown system kind");
}

// Name (index -1: the library) and help string of one entry; SysFreeString
// once copied.
void Documentation(ITypeLib* library, int index, std::wstring* name, std::wstring* help) {
  BSTR raw_name = nullptr;
  BSTR raw_help = nullptr;
  ThrowIfFailed(library->GetDocumentation(index, &raw_name, &raw_help, nullptr, nullptr),
                "ITypeLib::GetDocumentation");
  if (name) *name = raw_name ? raw_name : L"";
  if (help) *help = raw_help ? raw_help : L"";
  ::SysFreeString(raw_name);
  ::SysFreeString(raw_help);
}

// An attribute block that a type library or type information lends out and
// wants handed back, held for one scope.
template <typename Owner, typename Attr, auto kGet, auto kRelease>
class LentAttr {
 public:
  LentAttr(Owner* owner, const char* what) : owner_(owner) { ThrowIfFailed((owner->*kGet)(&attr_), what); }
  ~LentAttr() { (owner_->*kRelease)(attr_); }
  LentAttr(const LentAttr&) = delete;
  LentAttr& operator=(const LentAttr&) = delete;
  const Attr* operator->() const { return attr_; }

 private:
  Owner* owner_;
  Attr* attr_ = nullptr;
};

using TypeAttr = LentAttr<ITypeInfo, TYPEATTR, &ITypeInfo::GetTypeAttr, &ITypeInfo::ReleaseTypeAttr>;
using LibAttr = LentAttr<ITypeLib, TLIBATTR, &ITypeLib::GetLibAttr, &ITypeLib::ReleaseTLibAttr>;

const wchar_t* ProxyOf(const TYPEATTR& attr) {
  if (attr.typekind == TKIND_DISPATCH) return kDispatchProxy;
  if (attr.typekind == TKIND_INTERFACE && (attr.wTypeFlags & TYPEFLAG_FOLEAUTOMATION)) return kUniversalProxy;
  return nullptr;
}

void AddInterfaceRows(ITypeLib* library, UINT index, const std::wstring& libid, const std::wstring& version,
                      std::vector<WixRow>* rows) {
  ComPtr<ITypeInfo> info;
  ThrowIfFailed(library->GetTypeInfo(index, &info), "ITypeLib::GetTypeInfo");
  TypeAttr attr(info.Get(), "ITypeInfo::GetTypeAttr");
  const wchar_t* proxy = ProxyOf(*attr.operator->());
  if (!proxy) return;
  std::wstring name;
  Documentation(library, static_cast<int>(index), &name, nullptr);
  const std::wstring key = L"Interface\\" + GuidText(attr->guid);
  rows->push_back({key, L"", name});
  rows->push_back({key + L"\\ProxyStubClsid", L"", proxy});
  rows->push_back({key + L"\\ProxyStubClsid32", L"", proxy});
  rows->push_back({key + L"\\TypeLib", L"", libid});
  rows->push_back({key + L"\\TypeLib", L"Version", version});
}

}  // namespace

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
  return text;
}

TypeLibraryRowSet TypeLibraryRows(const std::wstring& file, const std::wstring& installed_file,
                                  const std::wstring& installed_folder) {
  ComPtr<ITypeLib> library;
  ThrowIfFailed(::LoadTypeLibEx(file.c_str(), REGKIND_NONE, &library), "LoadTypeLibEx");
  LibAttr attr(library.Get(), "ITypeLib::GetLibAttr");
  const std::wstring libid = GuidText(attr->guid);
  const std::wstring version = Hex(attr->wMajorVerNum) + L"." + Hex(attr->wMinorVerNum);
  const std::wstring key = L"TypeLib\\" + libid + L"\\" + version;
  std::wstring help;
  Documentation(library.Get(), -1, nullptr, &help);

  TypeLibraryRowSet set;
  set.rows.push_back({key, L"", help});
  set.rows.push_back({key + L"\\" + Hex(attr->lcid) + L"\\" + SystemKindText(attr->syskind), L"", installed_file});
  set.rows.push_back({key + L"\\FLAGS", L"", Decimal(attr->wLibFlags)});
  set.rows.push_back({key + L"\\HELPDIR", L"", installed_folder});
  std::vector<WixRow> interfaces;
  const UINT count = library->GetTypeInfoCount();
  for (UINT index = 0; index < count; ++index) AddInterfaceRows(library.Get(), index, libid, version, &interfaces);
  set.rows.insert(set.rows.end(), interfaces.begin(), interfaces.end());
  if (attr->syskind == SYS_WIN64) set.other_view_rows = interfaces;
  return set;
}

}  // namespace kit_msi
