#include "convert/variant_read.h"

#include <gtest/gtest.h>

#include <oleauto.h>

#include <functional>
#include <iterator>
#include <sstream>
#include <string>

#include "convert/runtime_error.h"

namespace convert {
namespace {

// A VARIANT that clears itself.
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  ~Var() { VariantClear(&v); }
  static Var I2(short x) { Var r; V_VT(&r.v) = VT_I2; V_I2(&r.v) = x; return r; }
  static Var I4(long x) { Var r; V_VT(&r.v) = VT_I4; V_I4(&r.v) = x; return r; }
  static Var R4(float x) { Var r; V_VT(&r.v) = VT_R4; V_R4(&r.v) = x; return r; }
  static Var R8(double x) { Var r; V_VT(&r.v) = VT_R8; V_R8(&r.v) = x; return r; }
  static Var Bool(bool x) { Var r; V_VT(&r.v) = VT_BOOL; V_BOOL(&r.v) = x ? VARIANT_TRUE : VARIANT_FALSE; return r; }
  static Var Str(const wchar_t* s) { Var r; V_VT(&r.v) = VT_BSTR; V_BSTR(&r.v) = SysAllocString(s); return r; }
  static Var Null() { Var r; V_VT(&r.v) = VT_NULL; return r; }
  static Var Unknown() { Var r; V_VT(&r.v) = VT_UNKNOWN; V_UNKNOWN(&r.v) = nullptr; return r; }
  Var(Var&& o) noexcept { v = o.v; VariantInit(&o.v); }
};

long ErrorOf(void (*f)(const VARIANT&), const Var& v) {
  try {
    f(v.v);
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

TEST(ReadBoolean, NonZeroIsTrue) {
  EXPECT_TRUE(ReadBoolean(Var::I2(1).v));
  EXPECT_TRUE(ReadBoolean(Var::I2(-1).v));
  EXPECT_TRUE(ReadBoolean(Var::I4(2).v));
  EXPECT_TRUE(ReadBoolean(Var::R8(0.25).v));
  EXPECT_TRUE(ReadBoolean(Var::Bool(true).v));
  EXPECT_FALSE(ReadBoolean(Var::Bool(false).v));
  EXPECT_FALSE(ReadBoolean(Var().v));
  EXPECT_TRUE(ReadBoolean(Var::Str(L"True").v));
  EXPECT_FALSE(ReadBoolean(Var::Str(L"0").v));
  EXPECT_EQ(ErrorOf([](const VARIANT& v) { ReadBoolean(v); }, Var::Str(L"maybe")), kTypeMismatch);
}

TEST(ReadInteger, EveryReturnedTypeConvertsOrFails) {
  EXPECT_EQ(ReadInteger(Var::I2(15).v), 15);
  EXPECT_EQ(ReadInteger(Var::I4(-300).v), -300);
  EXPECT_EQ(ReadInteger(Var::R4(14.5f).v), 14);
  EXPECT_EQ(ReadInteger(Var::R8(15.5).v), 16);
  EXPECT_EQ(ReadInteger(Var::Bool(true).v), -1);
  EXPECT_EQ(ReadInteger(Var().v), 0);
  EXPECT_EQ(ReadInteger(Var::Str(L"30").v), 30);
  auto read = [](const VARIANT& v) { ReadInteger(v); };
  EXPECT_EQ(ErrorOf(read, Var::I4(40000)), kOverflow);
  EXPECT_EQ(ErrorOf(read, Var::R8(-32768.6)), kOverflow);
  EXPECT_EQ(ErrorOf(read, Var::Str(L"abc")), kTypeMismatch);
  EXPECT_EQ(ErrorOf(read, Var::Unknown()), kTypeMismatch);
  EXPECT_EQ(ErrorOf(read, Var::Null()), kInvalidUseOfNull);
}

TEST(ReadSingle, ReadsTwipsAsSingle) {
  EXPECT_EQ(ReadSingle(Var::R4(4800.f).v), 4800.f);
  EXPECT_EQ(ReadSingle(Var::R8(3600.25).v), 3600.25f);
  EXPECT_EQ(ReadSingle(Var::I4(4800).v), 4800.f);
  EXPECT_EQ(ErrorOf([](const VARIANT& v) { ReadSingle(v); }, Var::R8(1e300)), kOverflow);
}

TEST(ReadText, StringsAsTheyAreNumbersAsText) {
  EXPECT_EQ(ReadText(Var::Str(L"C:\\TEMP\\CAPTURE.AVI").v), L"C:\\TEMP\\CAPTURE.AVI");
  EXPECT_EQ(ReadText(Var::Str(L"").v), L"");
  EXPECT_EQ(ReadText(Var().v), L"");
  EXPECT_EQ(ReadText(Var::I2(15).v), L"15");
  EXPECT_EQ(ReadText(Var::R8(7.5).v), L"7.5");
  EXPECT_EQ(ErrorOf([](const VARIANT& v) { ReadText(v); }, Var::Null()), kInvalidUseOfNull);
}


// What a reader gives for a variant: its value as text, or its error number.
template <typename Reader>
std::wstring Outcome(Reader read, const VARIANT& v) {
  try {
    std::wostringstream out;
    out << read(v);
    return out.str();
  } catch (const RuntimeError& e) {
    return L"error " + std::to_wstring(e.number());
  }
}

struct ScalarRow {
  const char* name;
  void (*fill)(VARIANT& v);
  const wchar_t* text;  // ReadText of the value
};

const ScalarRow kScalarRows[] = {
    {"I1", [](VARIANT& v) { V_VT(&v) = VT_I1; V_I1(&v) = -5; }, L"-5"},
    {"UI1", [](VARIANT& v) { V_VT(&v) = VT_UI1; V_UI1(&v) = 200; }, L"200"},
    {"I2", [](VARIANT& v) { V_VT(&v) = VT_I2; V_I2(&v) = -300; }, L"-300"},
    {"UI2", [](VARIANT& v) { V_VT(&v) = VT_UI2; V_UI2(&v) = 65535; }, L"65535"},
    {"I4", [](VARIANT& v) { V_VT(&v) = VT_I4; V_I4(&v) = -70000; }, L"-70000"},
    {"UI4", [](VARIANT& v) { V_VT(&v) = VT_UI4; V_UI4(&v) = 4000000000u; }, L"4000000000"},
    {"INT", [](VARIANT& v) { V_VT(&v) = VT_INT; V_INT(&v) = 12; }, L"12"},
    {"UINT", [](VARIANT& v) { V_VT(&v) = VT_UINT; V_UINT(&v) = 3000000000u; }, L"3000000000"},
    {"I8 beyond a double", [](VARIANT& v) { V_VT(&v) = VT_I8; V_I8(&v) = -9007199254740993LL; },
     L"-9007199254740993"},
    {"UI8 small", [](VARIANT& v) { V_VT(&v) = VT_UI8; V_UI8(&v) = 30; }, L"30"},
    {"UI8 2^63", [](VARIANT& v) { V_VT(&v) = VT_UI8; V_UI8(&v) = 9223372036854775808ULL; },
     L"9223372036854775808"},
    {"UI8 largest", [](VARIANT& v) { V_VT(&v) = VT_UI8; V_UI8(&v) = 18446744073709551615ULL; },
     L"18446744073709551615"},
    {"R4 half", [](VARIANT& v) { V_VT(&v) = VT_R4; V_R4(&v) = 1.5f; }, L"1.5"},
    {"R8 half", [](VARIANT& v) { V_VT(&v) = VT_R8; V_R8(&v) = 1.5; }, L"1.5"},
    {"R8 negative", [](VARIANT& v) { V_VT(&v) = VT_R8; V_R8(&v) = -2.25; }, L"-2.25"},
    {"BOOL true", [](VARIANT& v) { V_VT(&v) = VT_BOOL; V_BOOL(&v) = VARIANT_TRUE; }, L"True"},
    {"BOOL false", [](VARIANT& v) { V_VT(&v) = VT_BOOL; V_BOOL(&v) = VARIANT_FALSE; }, L"False"},
    {"BSTR number", [](VARIANT& v) { V_VT(&v) = VT_BSTR; V_BSTR(&v) = SysAllocString(L"12.5"); }, L"12.5"},
    {"BSTR word", [](VARIANT& v) { V_VT(&v) = VT_BSTR; V_BSTR(&v) = SysAllocString(L"True"); }, L"True"},
    {"BSTR null", [](VARIANT& v) { V_VT(&v) = VT_BSTR; V_BSTR(&v) = nullptr; }, L""},
};

// Every reader gives the same for a value, a reference to it, and a variant
// reference to it; the text of the value is as written.
TEST(VariantReaders, ByReferenceReadsAsByValue) {
  for (const ScalarRow& row : kScalarRows) {
    Var value;
    row.fill(value.v);
    VARIANT by_ref;
    VariantInit(&by_ref);
    V_VT(&by_ref) = static_cast<VARTYPE>(V_VT(&value.v) | VT_BYREF);
    V_BYREF(&by_ref) = &V_UI1(&value.v);  // every member starts at the union's start
    VARIANT by_variant_ref;
    VariantInit(&by_variant_ref);
    V_VT(&by_variant_ref) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&by_variant_ref) = &value.v;

    EXPECT_EQ(Outcome(ReadText, value.v), row.text) << row.name;
    const std::function<std::wstring(const VARIANT&)> readers[] = {
        [](const VARIANT& v) { return Outcome(ReadText, v); },
        [](const VARIANT& v) { return Outcome(ReadBoolean, v); },
        [](const VARIANT& v) { return Outcome(ReadInteger, v); },
        [](const VARIANT& v) { return Outcome(ReadSingle, v); },
    };
    for (std::size_t i = 0; i < std::size(readers); ++i) {
      EXPECT_EQ(readers[i](by_ref), readers[i](value.v)) << row.name << " by reference, reader " << i;
      EXPECT_EQ(readers[i](by_variant_ref), readers[i](value.v)) << row.name << " in a variant, reader " << i;
    }
  }
}

TEST(VariantReaders, ANullReferenceIsATypeMismatch) {
  Var v;
  V_VT(&v.v) = VT_R8 | VT_BYREF;
  V_R8REF(&v.v) = nullptr;
  EXPECT_EQ(ErrorOf([](const VARIANT& x) { ReadText(x); }, v), kTypeMismatch);
  EXPECT_EQ(ErrorOf([](const VARIANT& x) { ReadInteger(x); }, v), kTypeMismatch);
}

}  // namespace
}  // namespace convert
