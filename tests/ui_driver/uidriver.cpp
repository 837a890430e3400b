// uidriver: drives a Windows program in another process from a script.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "script_line.h"
#include "session.h"
#include "text.h"

namespace {

std::string LookupVariable(const std::string& name) {
  const DWORD n = GetEnvironmentVariableW(uidriver::Widen(name).c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  const DWORD copied = GetEnvironmentVariableW(uidriver::Widen(name).c_str(), value.data(), n);
  value.resize(copied);
  return uidriver::Narrow(value);
}

int RunScript(std::istream& in) {
  uidriver::Session session;
  // UIDRIVER_TRACE=1 prints how long each line took, to find slow steps.
  const bool trace = !LookupVariable("UIDRIVER_TRACE").empty();
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    const uidriver::ParsedLine parsed = uidriver::SplitScriptLine(line, LookupVariable);
    if (!parsed.error.empty()) {
      std::fprintf(stderr, "line %d: %s: %s\n", number, line.c_str(), parsed.error.c_str());
      return 2;
    }
    if (parsed.words.empty()) continue;
    std::string error;
    const ULONGLONG started = GetTickCount64();
    const bool ok = uidriver::RunCommand(session, parsed.words, error);
    if (trace) std::fprintf(stderr, "%6llu ms  line %d: %s\n", GetTickCount64() - started, number, line.c_str());
    if (!ok) {
      std::fprintf(stderr, "FAILED line %d: %s\n  %s\n", number, line.c_str(), error.c_str());
      std::fflush(stderr);
      session.Abandon();
      return 1;
    }
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 2 || (argc == 2 && (std::wstring(argv[1]) == L"-h" || std::wstring(argv[1]) == L"--help"))) {
    uidriver::PrintUsage();
    return 2;
  }
  if (argc == 2) {
    std::ifstream file(argv[1]);
    if (!file) {
      std::fprintf(stderr, "cannot open script %s\n", uidriver::Narrow(argv[1]).c_str());
      return 2;
    }
    return RunScript(file);
  }
  return RunScript(std::cin);
}
