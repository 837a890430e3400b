#include "convert/variant_read.h"

#include <oleauto.h>

#include <cstring>

#include "convert/number_to_text.h"
#include "convert/runtime_error.h"
#include "convert/value_read.h"

namespace convert {
namespace {

const VARIANT& Deref(const VARIANT& v) {
  if (V_VT(&v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&v) != nullptr) return *V_VARIANTREF(&v);
  return v;
}

// The scalar types a returned value may hold, by value or by reference, and
// how many bytes the value takes in the variant.
struct ScalarType {
  VARTYPE type;
  std::size_t bytes;
};
constexpr ScalarType kScalarTypes[] = {
    {VT_I1, sizeof(CHAR)},     {VT_UI1, sizeof(BYTE)},    {VT_I2, sizeof(SHORT)},  {VT_UI2, sizeof(USHORT)},
    {VT_I4, sizeof(LONG)},     {VT_UI4, sizeof(ULONG)},   {VT_INT, sizeof(INT)},   {VT_UINT, sizeof(UINT)},
    {VT_I8, sizeof(LONGLONG)}, {VT_UI8, sizeof(ULONGLONG)}, {VT_R4, sizeof(FLOAT)}, {VT_R8, sizeof(DOUBLE)},
    {VT_BOOL, sizeof(VARIANT_BOOL)}, {VT_BSTR, sizeof(BSTR)},
};

// A value passed by reference reads exactly as the same value passed by
// value. The copy shares a string with its source and is never cleared.
VARIANT ByValue(const VARIANT& in) {
  const VARIANT& v = Deref(in);
  if ((V_VT(&v) & VT_BYREF) == 0) return v;
  const VARTYPE type = static_cast<VARTYPE>(V_VT(&v) & ~VT_BYREF);
  for (const ScalarType& scalar : kScalarTypes) {
    if (scalar.type != type) continue;
    if (V_BYREF(&v) == nullptr) throw RuntimeError::TypeMismatch();
    VARIANT out;
    VariantInit(&out);
    V_VT(&out) = type;
    // Every scalar member of the variant starts at the same address.
    std::memcpy(&V_UI1(&out), V_BYREF(&v), scalar.bytes);
    return out;
  }
  throw RuntimeError::TypeMismatch();
}

// A string is read by the platform's own locale-aware parser, as any variant
// conversion of text to a number is.
double NumberFromString(BSTR text) {
  double value = 0;
  HRESULT hr = VarR8FromStr(text ? text : const_cast<wchar_t*>(L""), LOCALE_USER_DEFAULT, 0, &value);
  if (hr == DISP_E_OVERFLOW) throw RuntimeError::Overflow();
  if (FAILED(hr)) throw RuntimeError::TypeMismatch();
  return value;
}

// The numeric value of any scalar variant; strings parsed; Null refused.
double NumberOf(const VARIANT& in) {
  const VARIANT v = ByValue(in);
  switch (V_VT(&v)) {
    case VT_EMPTY: return 0;
    case VT_NULL: throw RuntimeError::InvalidUseOfNull();
    case VT_I1: return V_I1(&v);
    case VT_UI1: return V_UI1(&v);
    case VT_I2: return V_I2(&v);
    case VT_UI2: return V_UI2(&v);
    case VT_I4: return V_I4(&v);
    case VT_UI4: return V_UI4(&v);
    case VT_INT: return V_INT(&v);
    case VT_UINT: return V_UINT(&v);
    case VT_I8: return static_cast<double>(V_I8(&v));
    case VT_UI8: return static_cast<double>(V_UI8(&v));
    case VT_R4: return V_R4(&v);
    case VT_R8: return V_R8(&v);
    case VT_BOOL: return V_BOOL(&v) ? -1 : 0;
    case VT_BSTR: return NumberFromString(V_BSTR(&v));
    default: throw RuntimeError::TypeMismatch();
  }
}

}  // namespace

bool ReadBoolean(const VARIANT& in) {
  const VARIANT v = ByValue(in);
  if (V_VT(&v) == VT_BSTR && V_BSTR(&v) != nullptr) {
    VARIANT_BOOL b = VARIANT_FALSE;
    if (SUCCEEDED(VarBoolFromStr(V_BSTR(&v), LOCALE_USER_DEFAULT, 0, &b))) return b != VARIANT_FALSE;
  }
  return NumberOf(v) != 0;
}

std::int16_t ReadInteger(const VARIANT& value) { return ToInteger16(NumberOf(value)); }

float ReadSingle(const VARIANT& value) { return ToSingle(NumberOf(value)); }

std::wstring ReadText(const VARIANT& in) {
  const VARIANT v = ByValue(in);
  switch (V_VT(&v)) {
    case VT_EMPTY: return L"";
    case VT_NULL: throw RuntimeError::InvalidUseOfNull();
    case VT_BSTR: return V_BSTR(&v) ? std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : L"";
    case VT_BOOL: return V_BOOL(&v) ? L"True" : L"False";
    case VT_R4: return NumberToText(V_R4(&v));
    case VT_R8: return NumberToText(V_R8(&v));
    // 64-bit integers are written digit for digit: a double would round them.
    case VT_I8: return NumberToText(static_cast<std::int64_t>(V_I8(&v)));
    case VT_UI8: {
      const std::string digits = std::to_string(static_cast<unsigned long long>(V_UI8(&v)));
      return std::wstring(digits.begin(), digits.end());
    }
    default: {
      double n = NumberOf(v);  // integers of 32 bits and less: exact in a double
      return NumberToText(static_cast<std::int64_t>(n));
    }
  }
}

}  // namespace convert
