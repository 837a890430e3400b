// Reading a VARIANT that the control returned, as a field needs it.
// Each either converts or throws the RuntimeError that a variant conversion
// gives: type mismatch (13) for a type that does not convert, overflow (6)
// for a value out of range.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>

namespace convert {

bool ReadBoolean(const VARIANT& value);       // any non-zero value is true
std::int16_t ReadInteger(const VARIANT& value);  // nearest, ties to even
float ReadSingle(const VARIANT& value);
std::wstring ReadText(const VARIANT& value);

}  // namespace convert
