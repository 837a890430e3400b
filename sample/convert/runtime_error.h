// The one error type of the demonstration program: a run-time error with a
// number and a description, as the error report shows it. Conversions raise
// the classic numbers (5, 6, 13, ...); a failed call to the control carries
// its HRESULT as the number and the control's own description.
#pragma once

#include <exception>
#include <string>

namespace convert {

enum ErrorNumber : long { kInvalidProcedureCall = 5, kOverflow = 6, kTypeMismatch = 13, kInvalidUseOfNull = 94, kInvalidPropertyValue = 380 };

class RuntimeError : public std::exception {
 public:
  RuntimeError(long number, std::wstring description, std::wstring source = {});

  static RuntimeError Overflow();
  static RuntimeError TypeMismatch();
  static RuntimeError InvalidProcedureCall();
  static RuntimeError InvalidPropertyValue();
  static RuntimeError InvalidUseOfNull();

  long number() const { return number_; }
  const std::wstring& description() const { return description_; }
  // Who raised it: empty for the program's own conversions, the control's
  // name for errors the control reported.
  const std::wstring& source() const { return source_; }

  const char* what() const noexcept override { return what_.c_str(); }

 private:
  long number_;
  std::wstring description_;
  std::wstring source_;
  std::string what_;
};

}  // namespace convert
