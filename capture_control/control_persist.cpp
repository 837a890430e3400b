// Persistence through the container: only the extent travels with a form.
// The capture settings are the user's and live in the registry, so that
// every host sees the same device and sizes.
#include <windows.h>
#include <oleauto.h>

#include "basics/variant.h"
#include "control.h"
#include "morvane_guids.h"

namespace morvane {
namespace {

// The stream layout: a version, then the extent.
struct StreamBlock {
  DWORD version;
  LONG width;
  LONG height;
};
constexpr DWORD kStreamVersion = 1;

}  // namespace

STDMETHODIMP Control::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_Morvane;
  return S_OK;
}

STDMETHODIMP Control::IsDirty() { return S_FALSE; }

STDMETHODIMP Control::Load(LPSTREAM stream) {
  if (!stream) return E_POINTER;
  StreamBlock block{};
  ULONG read = 0;
  HRESULT hr = stream->Read(&block, sizeof(block), &read);
  if (FAILED(hr)) return hr;
  // A short or foreign block leaves the defaults rather than half a state.
  if (read != sizeof(block) || block.version != kStreamVersion || block.width <= 0 || block.height <= 0) {
    return S_OK;
  }
  extent_.cx = block.width;
  extent_.cy = block.height;
  return S_OK;
}

STDMETHODIMP Control::Save(LPSTREAM stream, BOOL) {
  if (!stream) return E_POINTER;
  StreamBlock block{kStreamVersion, extent_.cx, extent_.cy};
  return stream->Write(&block, sizeof(block), nullptr);
}

STDMETHODIMP Control::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = sizeof(StreamBlock);
  return S_OK;
}

STDMETHODIMP Control::InitNew() { return S_OK; }

STDMETHODIMP Control::Load(IPropertyBag* bag, IErrorLog* log) {
  if (!bag) return E_POINTER;
  const wchar_t* names[] = {L"_ExtentX", L"_ExtentY"};
  LONG* fields[] = {&extent_.cx, &extent_.cy};
  for (int i = 0; i < 2; ++i) {
    basics::Variant value;
    value.value().vt = VT_I4;
    if (SUCCEEDED(bag->Read(names[i], value.get(), log))) {
      basics::Variant number;
      if (SUCCEEDED(::VariantChangeType(number.get(), value.get(), 0, VT_I4)) && number.value().lVal > 0) {
        *fields[i] = number.value().lVal;
      }
    }
  }
  return S_OK;
}

STDMETHODIMP Control::Save(IPropertyBag* bag, BOOL, BOOL) {
  if (!bag) return E_POINTER;
  const wchar_t* names[] = {L"_ExtentX", L"_ExtentY"};
  const LONG values[] = {extent_.cx, extent_.cy};
  for (int i = 0; i < 2; ++i) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = values[i];
    HRESULT hr = bag->Write(names[i], &value);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace morvane
