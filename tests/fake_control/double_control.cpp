#include "double_control.h"

#include <new>
#include <vector>

#include "double_guids.h"
#include "double_log.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace morvane_double {
namespace {

LONG g_live_objects = 0;

// The scenario file named by MORVANE_DOUBLE_SCRIPT; no variable means the defaults.
bool ReadScenario(std::string* text, std::string* problem) {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"MORVANE_DOUBLE_SCRIPT", path, MAX_PATH * 2);
  if (n == 0) return true;
  if (n >= MAX_PATH * 2) {
    *problem = "MORVANE_DOUBLE_SCRIPT is too long";
    return false;
  }
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *problem = "cannot open " + ToUtf8(path, n);
    return false;
  }
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1 << 20);
  if (ok) {
    text->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = ReadFile(file, text->data(), static_cast<DWORD>(text->size()), &read, nullptr) && read == text->size();
  }
  CloseHandle(file);
  if (!ok) *problem = "cannot read " + ToUtf8(path, n);
  return ok;
}

}  // namespace

LONG LiveObjects() { return g_live_objects; }

HRESULT LoadOwnTypeLibrary(ITypeLib** library) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return HRESULT_FROM_WIN32(GetLastError());
  return LoadTypeLibEx(path, REGKIND_NONE, library);
}

HRESULT DoubleControl::Create(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  try {
    std::string text;
    std::string problem;
    if (!ReadScenario(&text, &problem)) {
      CallLog::Instance().Write("script-error 0 " + problem);
      return E_INVALIDARG;
    }
    ParseResult parsed = ParseScript(text);
    if (!parsed.ok) {
      CallLog::Instance().Write("script-error " + std::to_string(parsed.error_line) + " " + parsed.error);
      return E_INVALIDARG;
    }
    CallLog::Instance().Write("create");
    auto* control = new DoubleControl(std::move(parsed.script));
    HRESULT hr = control->QueryInterface(riid, out);
    control->Release();
    return hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

DoubleControl::DoubleControl(Script script) : script_(std::move(script)) {
  InterlockedIncrement(&g_live_objects);
}

DoubleControl::~DoubleControl() {
  if (window_) DestroyWindow(window_);
  events_.Clear();
  InterlockedDecrement(&g_live_objects);
}

STDMETHODIMP DoubleControl::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = kClassId;
  return S_OK;
}

STDMETHODIMP DoubleControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

STDMETHODIMP DoubleControl::GetClassInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  Microsoft::WRL::ComPtr<ITypeLib> library;
  HRESULT hr = LoadOwnTypeLibrary(&library);
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(kClassId, info);
}

STDMETHODIMP DoubleControl::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = kEventsIid;
  return S_OK;
}

STDMETHODIMP DoubleControl::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP DoubleControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  return events_.FindFor(riid, point);
}

}  // namespace morvane_double
