#include "registration.h"

#include "fault_guard.h"
#include "library_loader.h"

namespace halvern {

namespace {

const CommandRow kCommands[] = {
    {Command::Register, "DllRegisterServer", MessageId::RegisterMissing, MessageId::RegisterFailed,
     MessageId::Registered, MessageId::RegisterCrashed},
    {Command::Remove, "DllUnregisterServer", MessageId::RemoveMissing, MessageId::RemoveFailed, MessageId::Removed,
     MessageId::RemoveCrashed},
};

}  // namespace

const CommandRow& CommandInfo(Command command) {
  return command == Command::Register ? kCommands[0] : kCommands[1];
}

CommandResult RunRegistrationCommand(Command command, const std::string& path932, const Reporter& report) {
  const CommandRow& info = CommandInfo(command);
  CommandResult result{MessageId::LoadFailed};

  Library library = LoadNamedLibrary(path932, result.loadError);
  if (!library) {
    const MessageRow& row = Message(MessageId::LoadFailed);
    report(row, FormatLoadFailure(result.loadError));
    return result;
  }

  auto entry = reinterpret_cast<EntryPoint>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), info.entryPoint)));
  if (!entry) {
    result.outcome = info.missing;
    const MessageRow& row = Message(result.outcome);
    report(row, row.text932);
    return result;
  }
  const GuardedCall call = CallGuarded(entry);
  if (call.faulted()) {
    result.outcome = info.crashed;
    result.exceptionCode = call.exceptionCode;
    report(Message(result.outcome), FormatWithCode(result.outcome, call.exceptionCode));
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
