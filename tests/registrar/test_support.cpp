#include "test_support.h"

#include <cstdlib>
#include <fstream>

namespace halvern_test {

std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of('\\') + 1);
}

std::string DirFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  if (!value || !*value) return {};
  std::string dir = value;
  if (dir[0] == '/') {
    for (char& c : dir) {
      if (c == '/') c = '\\';
    }
    dir = "Z:" + dir;
  }
  if (dir.back() != '\\') dir += '\\';
  return dir;
}

std::wstring Widen(const std::string& ansi) {
  if (ansi.empty()) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return wide;
}

Apartment CurrentApartment() {
  Apartment apartment = {E_UNEXPECTED, APTTYPE_CURRENT};
  APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
  apartment.status = CoGetApartmentType(&apartment.type, &qualifier);
  return apartment;
}

TestLibraryLog::TestLibraryLog(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId()) + ".log";
  Clear();
  SetEnvironmentVariableA("HALVERN_TESTLIB_LOG", path_.c_str());
}

TestLibraryLog::~TestLibraryLog() {
  SetEnvironmentVariableA("HALVERN_TESTLIB_LOG", nullptr);
  DeleteFileA(path_.c_str());
}

void TestLibraryLog::Clear() const { DeleteFileA(path_.c_str()); }

std::vector<std::string> TestLibraryLog::Lines() const {
  std::vector<std::string> lines;
  std::ifstream in(path_);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace halvern_test
