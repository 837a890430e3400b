#include "convert/runtime_error.h"

#include <cstdio>

namespace convert {
namespace {

// The texts of the classic run-time errors, in the program's language.
struct KnownError {
  long number;
  const wchar_t* text;
};

constexpr KnownError kKnownErrors[] = {
    {kInvalidProcedureCall, L"プロシージャの呼び出し、または引数が不正です。"},
    {kOverflow, L"オーバーフローしました。"},
    {kTypeMismatch, L"型が一致しません。"},
    {kInvalidUseOfNull, L"Null の使い方が不正です。"},
    {kInvalidPropertyValue, L"プロパティの値が不正です。"},
};

RuntimeError Known(long number) {
  for (const auto& e : kKnownErrors) {
    if (e.number == number) return RuntimeError(number, e.text);
  }
  return RuntimeError(number, L"");
}

}  // namespace

RuntimeError::RuntimeError(long number, std::wstring description, std::wstring source)
    : number_(number), description_(std::move(description)), source_(std::move(source)) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "run-time error %ld", number_);
  what_ = buf;
}

RuntimeError RuntimeError::Overflow() { return Known(kOverflow); }
RuntimeError RuntimeError::TypeMismatch() { return Known(kTypeMismatch); }
RuntimeError RuntimeError::InvalidProcedureCall() { return Known(kInvalidProcedureCall); }
RuntimeError RuntimeError::InvalidPropertyValue() { return Known(kInvalidPropertyValue); }
RuntimeError RuntimeError::InvalidUseOfNull() { return Known(kInvalidUseOfNull); }

}  // namespace convert
