// A VARIANT that clears itself: empty when made, cleared (releasing a string,
// an interface or an array it holds) when it goes.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace basics {

class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  ~Variant() { ::VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  VARIANT* get() { return &value_; }
  const VARIANT& value() const { return value_; }
  VARIANT& value() { return value_; }

 private:
  VARIANT value_;
};

}  // namespace basics
