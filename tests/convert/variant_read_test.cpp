#include "variant_read.h"

#include <gtest/gtest.h>

#include <oleauto.h>

#include "runtime_error.h"

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

}  // namespace
}  // namespace convert
