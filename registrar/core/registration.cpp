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

}  // namespace

const CommandRow& CommandInfo(Command command) {
  return command == Command::kRegister ? kCommands[0] : kCommands[1];
}

CommandResult RunRegistrationCommand(Command command, const std::string& path932, const Reporter& report) {
  const CommandRow& info = CommandInfo(command);
  CommandResult result{MessageId::kLoadFailed};

  Library library = LoadNamedLibrary(path932, result.load_error);
  if (!library) {
    const MessageRow& row = Message(MessageId::kLoadFailed);
    report(row, FormatLoadFailure(result.load_error));
    return result;
  }

  auto entry = reinterpret_cast<EntryPoint>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), info.entry_point)));
  if (!entry) {
    result.outcome = info.missing;
    const MessageRow& row = Message(result.outcome);
    report(row, row.text932);
    return result;
  }
  const GuardedCall call = CallGuarded(entry);
  if (call.faulted()) {
    result.outcome = info.crashed;
    result.exception_code = call.exception_code;
    report(Message(result.outcome), FormatWithCode(result.outcome, call.exception_code));
    return result;  // the crashed library is released like any other
  }
  result.status = call.status;
  // Only the sign counts: S_FALSE and other success codes are successes.
  result.outcome = FAILED(result.status) ? info.failed : info.succeeded;
  const MessageRow& row = Message(result.outcome);
  report(row, row.text932);
  return result;  // `library` is released here, after the box was closed
}

}  // namespace halvern
