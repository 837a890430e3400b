// Shared helpers of Halvern's tests: where the test files are, the test
// libraries' log, the thread's apartment.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

namespace halvern_test {

// The folder of the running test program, with a trailing backslash; the
// built programs and test libraries lie there.
std::string BinDir();

// A folder named by an environment variable (Unix paths map to drive Z:),
// with a trailing backslash; empty when unset.
std::string DirFromEnvironment(const char* variable);

// ANSI (the test's own paths) to UTF-16.
std::wstring Widen(const std::string& ansi);

// The calling thread's apartment as CoGetApartmentType tells it; `type`
// counts only when `status` is S_OK.
struct Apartment {
  HRESULT status;
  APTTYPE type;
};
Apartment CurrentApartment();

// A fresh log file for the test libraries, named in HALVERN_TESTLIB_LOG.
class TestLibraryLog {
 public:
  explicit TestLibraryLog(const char* name);
  ~TestLibraryLog();
  TestLibraryLog(const TestLibraryLog&) = delete;
  TestLibraryLog& operator=(const TestLibraryLog&) = delete;

  std::vector<std::string> Lines() const;
  void Clear() const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace halvern_test
