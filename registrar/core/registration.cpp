#include "registration.h"

#include "fault_guard.h"
#include "library_loader.h"

namespace halvern {

namespace {

const CommandRow kCommands[] = {
    {Command::kRegister, "DllRegisterServer", MessageId::kRegisterMissing, MessageId::kRegisterFailed,
     MessageId::kRegistered, MessageId::kRegisterCrashed},
    {Command::kRemove, "DllUnregisterServer", MessageId::kRemoveMissing, MessageId::kRemoveFailed, MessageId::kRemoved,
     MessageId::kRemoveCrashed},
};

// The entry point the command calls; null when the library does not export it.
EntryPoint FindEntryPoint(HMODULE library, const char* name) {
  return reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Calls the entry point once and settles the outcome; returns the text to
// report: the crash with its code, or the success or failure row's own text.
std::string CallEntryPoint(EntryPoint entry, const CommandRow& info, CommandResult& result) {
  const GuardedCall call = CallGuarded(entry);
  if (call.faulted()) {
    result.outcome = info.crashed;
    result.exception_code = call.exception_code;
    return FormatWithCode(result.outcome, call.exception_code);
  }
  result.status = call.status;
  // Only the sign counts: S_FALSE and other success codes are successes.
  result.outcome = FAILED(result.status) ? info.failed : info.succeeded;
  return Message(result.outcome).text932;
}

}  // namespace

const CommandRow& CommandInfo(Command command) {
  return command == Command::kRegister ? kCommands[0] : kCommands[1];
}

CommandResult RunRegistrationCommand(Command command, const std::string& path932, const Reporter& report) {
  const CommandRow& info = CommandInfo(command);
  CommandResult result{MessageId::kLoadFailed};
  Library library = LoadNamedLibrary(path932, result.load_error);
  if (!library) {
    report(Message(result.outcome), FormatLoadFailure(result.load_error));
    return result;
  }
  std::string text932;
  if (const EntryPoint entry = FindEntryPoint(library.get(), info.entry_point)) {
    text932 = CallEntryPoint(entry, info, result);
  } else {
    result.outcome = info.missing;
    text932 = Message(result.outcome).text932;
  }
  // Reported while the library is still loaded, a crashed one too; `library`
  // is released here, after the box was closed.
  report(Message(result.outcome), text932);
  return result;
}

}  // namespace halvern
