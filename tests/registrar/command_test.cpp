// Register and Remove against libraries of our own: what is loaded, called,
// reported and released, and in which order.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "core/fault_guard.h"
#include "core/library_loader.h"
#include "core/ole_session.h"
#include "core/registration.h"
#include "core/text_cp932.h"
#include "test_support.h"

namespace halvern {
namespace {

using halvern_test::BinDir;
using halvern_test::TestLibraryLog;
using Lines = std::vector<std::string>;

// One report as the dialog would show it, and whether the library was still
// mapped while the box was open.
struct SeenReport {
  MessageId id;
  std::wstring text;
  bool library_loaded;
};

class RegistrationCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ole_.initialised()) << std::hex << ole_.status(); }

  CommandResult Run(Command command, const std::string& path, const wchar_t* module_name) {
    return RunRegistrationCommand(command, path, [&](const MessageRow& row, const std::string& text) {
      reports_.push_back({row.id, FromCp932(text), module_name && GetModuleHandleW(module_name) != nullptr});
    });
  }

  OleSession ole_{nullptr};
  TestLibraryLog log_{"halvern_command"};
  std::vector<SeenReport> reports_;
};

struct LibraryCase {
  const char* file;
  const wchar_t* module;
  Command command;
  MessageId outcome;
  HRESULT status;
  Lines log;
  DWORD exception = 0;
  const wchar_t* text = nullptr;  // null: the outcome row's own text
};

const LibraryCase kLibraryCases[] = {
    {"halvern_test_ok.ocx", L"halvern_test_ok.ocx", Command::kRegister, MessageId::kRegistered, S_OK,
     {"ok load", "ok DllRegisterServer called ole=1", "ok unload"}},
    {"halvern_test_ok.ocx", L"halvern_test_ok.ocx", Command::kRemove, MessageId::kRemoved, S_OK,
     {"ok load", "ok DllUnregisterServer called ole=1", "ok unload"}},
    {"halvern_test_false.ocx", L"halvern_test_false.ocx", Command::kRegister, MessageId::kRegistered, S_FALSE,
     {"false load", "false DllRegisterServer called ole=1", "false unload"}},
    {"halvern_test_false.ocx", L"halvern_test_false.ocx", Command::kRemove, MessageId::kRemoved, S_FALSE,
     {"false load", "false DllUnregisterServer called ole=1", "false unload"}},
    {"halvern_test_fail.ocx", L"halvern_test_fail.ocx", Command::kRegister, MessageId::kRegisterFailed, E_FAIL,
     {"fail load", "fail DllRegisterServer called ole=1", "fail unload"}},
    {"halvern_test_fail.ocx", L"halvern_test_fail.ocx", Command::kRemove, MessageId::kRemoveFailed, E_FAIL,
     {"fail load", "fail DllUnregisterServer called ole=1", "fail unload"}},
    {"halvern_test_none.ocx", L"halvern_test_none.ocx", Command::kRegister, MessageId::kRegisterMissing, S_OK,
     {"none load", "none unload"}},
    {"halvern_test_none.ocx", L"halvern_test_none.ocx", Command::kRemove, MessageId::kRemoveMissing, S_OK,
     {"none load", "none unload"}},
    {"halvern_test_regonly.ocx", L"halvern_test_regonly.ocx", Command::kRegister, MessageId::kRegistered, S_OK,
     {"regonly load", "regonly DllRegisterServer called ole=1", "regonly unload"}},
    {"halvern_test_regonly.ocx", L"halvern_test_regonly.ocx", Command::kRemove, MessageId::kRemoveMissing, S_OK,
     {"regonly load", "regonly unload"}},
    // A crash in the entry point is reported with its code; the library is
    // still released after the box.
    {"halvern_test_crash.ocx", L"halvern_test_crash.ocx", Command::kRegister, MessageId::kRegisterCrashed, S_OK,
     {"crash load", "crash DllRegisterServer called ole=1", "crash unload"}, EXCEPTION_ACCESS_VIOLATION,
     L"DllRegisterServer の呼び出し中に例外 0xc0000005 が発生しました。"},
    {"halvern_test_crash.ocx", L"halvern_test_crash.ocx", Command::kRemove, MessageId::kRemoveCrashed, S_OK,
     {"crash load", "crash DllUnregisterServer called ole=1", "crash unload"}, EXCEPTION_ACCESS_VIOLATION,
     L"DllUnregisterServer の呼び出し中に例外 0xc0000005 が発生しました。"},
    {"halvern_test_divide.ocx", L"halvern_test_divide.ocx", Command::kRegister, MessageId::kRegisterCrashed, S_OK,
     {"divide load", "divide DllRegisterServer called ole=1", "divide unload"}, EXCEPTION_INT_DIVIDE_BY_ZERO,
     L"DllRegisterServer の呼び出し中に例外 0xc0000094 が発生しました。"},
    // An exception the library leaves unhandled is contained as a crash is;
    // one it handles itself is none of ours.
    {"halvern_test_cxx.ocx", L"halvern_test_cxx.ocx", Command::kRegister, MessageId::kRegisterCrashed, S_OK,
     {"cxx load", "cxx DllRegisterServer called ole=1", "cxx unload"}, 0xE06D7363,
     L"DllRegisterServer の呼び出し中に例外 0xe06d7363 が発生しました。"},
    {"halvern_test_caught.ocx", L"halvern_test_caught.ocx", Command::kRegister, MessageId::kRegistered, S_OK,
     {"caught load", "caught DllRegisterServer called ole=1", "caught caught its own", "caught unload"}},
    // After a crash the tool goes on as before.
    {"halvern_test_ok.ocx", L"halvern_test_ok.ocx", Command::kRegister, MessageId::kRegistered, S_OK,
     {"ok load", "ok DllRegisterServer called ole=1", "ok unload"}},
};

TEST_F(RegistrationCommandTest, CallsTheEntryPointOnceAndReleasesAfterTheReport) {
  for (const LibraryCase& c : kLibraryCases) {
    SCOPED_TRACE(std::string(c.file) + (c.command == Command::kRegister ? " register" : " remove"));
    log_.Clear();
    reports_.clear();
    const CommandResult result = Run(c.command, BinDir() + c.file, c.module);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.exception_code, c.exception) << std::hex << result.exception_code;
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].id, c.outcome);
    EXPECT_EQ(reports_[0].text, c.text ? c.text : FromCp932(Message(c.outcome).text932));
    EXPECT_TRUE(reports_[0].library_loaded) << "released before the box was closed";
    EXPECT_EQ(GetModuleHandleW(c.module), nullptr) << "not released after the command";
    EXPECT_EQ(log_.Lines(), c.log);
  }
}

TEST_F(RegistrationCommandTest, EachPressLoadsCallsAndReleasesAgain) {
  const std::string path = BinDir() + "halvern_test_ok.ocx";
  Run(Command::kRegister, path, L"halvern_test_ok.ocx");
  Run(Command::kRegister, path, L"halvern_test_ok.ocx");
  Run(Command::kRemove, path, L"halvern_test_ok.ocx");
  EXPECT_EQ(log_.Lines(), (Lines{"ok load", "ok DllRegisterServer called ole=1", "ok unload", "ok load",
                                 "ok DllRegisterServer called ole=1", "ok unload", "ok load",
                                 "ok DllUnregisterServer called ole=1", "ok unload"}));
  ASSERT_EQ(reports_.size(), 3u);
  EXPECT_EQ(reports_[2].id, MessageId::kRemoved);
}

TEST_F(RegistrationCommandTest, ABareNameFollowsTheSearchOrder) {
  // The test program's own folder is first in the search order.
  const CommandResult result = Run(Command::kRegister, "halvern_test_ok.ocx", L"halvern_test_ok.ocx");
  EXPECT_EQ(result.outcome, MessageId::kRegistered);
  EXPECT_EQ(log_.Lines(), (Lines{"ok load", "ok DllRegisterServer called ole=1", "ok unload"}));
}

struct LoadFailureCase {
  const char* what;
  std::string path;
  DWORD code;  // 0: whatever the loader says, as long as it is reported
};

TEST_F(RegistrationCommandTest, LoadFailuresReportTheLoadersCode) {
  const std::string junk = BinDir() + "halvern_not_a_library.ocx";
  {
    std::ofstream out(junk, std::ios::binary);
    out << "This is a text file, not a library.\r\n";
  }
  const LoadFailureCase cases[] = {
      {"missing file", BinDir() + "no_such_control.ocx", ERROR_MOD_NOT_FOUND},
      {"missing folder", "C:\\no\\such\\folder\\a.ocx", ERROR_MOD_NOT_FOUND},
      {"missing bare name", "no_such_control_anywhere.ocx", ERROR_MOD_NOT_FOUND},
      {"not a library", junk, ERROR_BAD_EXE_FORMAT},
      {"empty path", "", 0},
  };
  for (const LoadFailureCase& c : cases) {
    SCOPED_TRACE(c.what);
    reports_.clear();
    const CommandResult result = Run(Command::kRegister, c.path, nullptr);
    EXPECT_EQ(result.outcome, MessageId::kLoadFailed);
    if (c.code) {
      EXPECT_EQ(result.load_error, c.code) << std::hex << result.load_error;
    } else {
      EXPECT_NE(result.load_error, 0u);
    }
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].text, FromCp932(FormatLoadFailure(result.load_error)));
    // Remove reports the same load failure.
    reports_.clear();
    EXPECT_EQ(Run(Command::kRemove, c.path, nullptr).load_error, result.load_error);
  }
  DeleteFileA(junk.c_str());
}

// An OCX whose helper DLL lies only in its own folder: the folder is searched
// because the library is loaded with the altered search path.
TEST_F(RegistrationCommandTest, DependenciesBesideTheControlAreFound) {
  const std::string dir = halvern_test::DirFromEnvironment("HALVERN_BESIDE_DIR");
  ASSERT_FALSE(dir.empty()) << "HALVERN_BESIDE_DIR is not set";
  const std::string path = dir + "halvern_test_dep.ocx";

  // The plain search order does not look there, which is what users met as 0x7e.
  HMODULE plain = LoadLibraryA(path.c_str());
  const DWORD plain_error = GetLastError();
  if (plain) FreeLibrary(plain);
  EXPECT_EQ(plain, nullptr);
  EXPECT_EQ(plain_error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

  log_.Clear();
  const CommandResult result = Run(Command::kRegister, path, L"halvern_test_dep.ocx");
  EXPECT_EQ(result.outcome, MessageId::kRegistered) << std::hex << result.load_error;
  EXPECT_EQ(log_.Lines(), (Lines{"dep load", "dep DllRegisterServer called ole=1", "dep unload"}));
}

// A relative path with a directory is loaded by its full path, so that the
// DLLs beside it are found (the altered search path is defined for full paths
// only), and the module is the file the path named.
TEST_F(RegistrationCommandTest, RelativePathsAreLoadedByTheirFullPath) {
  const std::string dir = halvern_test::DirFromEnvironment("HALVERN_BESIDE_DIR");
  ASSERT_FALSE(dir.empty()) << "HALVERN_BESIDE_DIR is not set";
  const std::string parent = dir.substr(0, dir.find_last_of('\\', dir.size() - 2) + 1);
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(parent.c_str())) << parent;
  const std::wstring expected = halvern_test::Widen(dir) + L"halvern_test_dep.ocx";
  for (const char* path : {"beside\\halvern_test_dep.ocx", "beside/halvern_test_dep.ocx",
                           ".\\beside\\..\\beside\\halvern_test_dep.ocx"}) {
    SCOPED_TRACE(path);
    log_.Clear();
    std::wstring loaded;
    const CommandResult result = RunRegistrationCommand(Command::kRegister, path, [&](const MessageRow&, const std::string&) {
      wchar_t name[MAX_PATH] = {};
      GetModuleFileNameW(GetModuleHandleW(L"halvern_test_dep.ocx"), name, MAX_PATH);
      loaded = name;
    });
    EXPECT_EQ(result.outcome, MessageId::kRegistered) << std::hex << result.load_error;
    EXPECT_EQ(_wcsicmp(loaded.c_str(), expected.c_str()), 0) << loaded;
    EXPECT_EQ(log_.Lines(), (Lines{"dep load", "dep DllRegisterServer called ole=1", "dep unload"}));
  }
  SetCurrentDirectoryA(previous);
}

// The path is Shift-JIS whatever the system's code page is: a Japanese name
// loads on code page 1252 too, and a name code page 932 cannot spell never
// reaches the loader (the dialog refuses it), so its look-alike is never loaded.
TEST_F(RegistrationCommandTest, JapaneseNamesLoadOnEveryCodePage) {
  const std::string dir = halvern_test::DirFromEnvironment("HALVERN_NAMES_DIR");
  ASSERT_FALSE(dir.empty()) << "HALVERN_NAMES_DIR is not set";
  std::string path;
  ASSERT_TRUE(ToCp932(halvern_test::Widen(dir) + L"登録テスト.ocx", path));
  const CommandResult result = Run(Command::kRegister, path, L"登録テスト.ocx");
  EXPECT_EQ(result.outcome, MessageId::kRegistered) << std::hex << result.load_error;
  EXPECT_EQ(log_.Lines(), (Lines{"ok load", "ok DllRegisterServer called ole=1", "ok unload"}));
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_TRUE(reports_[0].library_loaded);

  std::string look_alike = "stale";
  EXPECT_FALSE(ToCp932(halvern_test::Widen(dir) + L"halvern_\x0100.ocx", look_alike));
  EXPECT_EQ(look_alike, "");
}

HRESULT STDAPICALLTYPE ReturnsFailure() { return E_FAIL; }

HRESULT STDAPICALLTYPE WritesToNowhere() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
  return S_OK;
}

// Debug output is an exception that the system raises and handles itself:
// software exceptions pass the guard untouched.
HRESULT STDAPICALLTYPE WritesDebugOutput() {
  OutputDebugStringA("halvern guard test\n");
  return S_FALSE;
}

// What a C++ throw in a library of the other common compiler raises, with
// no handler of the library's.
HRESULT STDAPICALLTYPE RaisesCxxException() {
  RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
  return S_OK;
}

HRESULT STDAPICALLTYPE ThrowsAndCatches() {
  try {
    throw std::runtime_error("kept inside");
  } catch (const std::exception&) {
    return S_FALSE;
  }
}

struct GuardCase {
  const char* what;
  EntryPoint entry;
  HRESULT status;
  DWORD exception;
};

const GuardCase kGuardCases[] = {
    {"returns", ReturnsFailure, E_FAIL, 0},
    {"faults", WritesToNowhere, S_OK, EXCEPTION_ACCESS_VIOLATION},
    {"returns after a fault", ReturnsFailure, E_FAIL, 0},
    {"raises and handles a software exception", WritesDebugOutput, S_FALSE, 0},
    {"faults again", WritesToNowhere, S_OK, EXCEPTION_ACCESS_VIOLATION},
    {"raises an exception it does not handle", RaisesCxxException, S_OK, 0xE06D7363},
    {"throws and catches its own", ThrowsAndCatches, S_FALSE, 0},
    {"returns after an unhandled exception", ReturnsFailure, E_FAIL, 0},
};

TEST(FaultGuard, EndsTheCallOnAFaultOrAnExceptionLeftUnhandled) {
  for (const GuardCase& c : kGuardCases) {
    SCOPED_TRACE(c.what);
    const GuardedCall call = CallGuarded(c.entry);
    EXPECT_EQ(call.faulted(), c.exception != 0);
    EXPECT_EQ(call.exception_code, c.exception) << std::hex << call.exception_code;
    if (!call.faulted()) {
      EXPECT_EQ(call.status, c.status);
    }
  }
}

TEST(OleSession, FailureIsReportedAndNotUnbalanced) {
  // A thread in the multithreaded apartment cannot take OLE's single-threaded one.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  HRESULT reported = S_OK;
  int calls = 0;
  {
    OleSession session([&](HRESULT hr) {
      reported = hr;
      ++calls;
    });
    EXPECT_FALSE(session.initialised());
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(FAILED(reported));
    EXPECT_EQ(session.status(), reported);
  }
  // The failed session did not uninitialise: the apartment we set up is intact.
  const halvern_test::Apartment apartment = halvern_test::CurrentApartment();
  EXPECT_EQ(apartment.status, S_OK);
  EXPECT_EQ(apartment.type, APTTYPE_MTA);
  CoUninitialize();
}

TEST(OleSession, SuccessKeepsASingleThreadedApartmentForItsLifetime) {
  int calls = 0;
  {
    OleSession session([&](HRESULT) { ++calls; });
    EXPECT_TRUE(session.initialised());
    const halvern_test::Apartment apartment = halvern_test::CurrentApartment();
    EXPECT_EQ(apartment.status, S_OK);
    EXPECT_EQ(apartment.type, APTTYPE_MAINSTA);
  }
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(halvern_test::CurrentApartment().status, CO_E_NOTINITIALIZED);
}

}  // namespace
}  // namespace halvern
