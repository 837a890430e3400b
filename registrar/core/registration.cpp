#include "registration.h"

#include "library_loader.h"

namespace halvern {

namespace {

const CommandRow kCommands[] = {
    {Command::Register, "DllRegisterServer", MessageId::RegisterMissing, MessageId::RegisterFailed,
     MessageId::Registered},
    {Command::Remove, "DllUnregisterServer", MessageId::RemoveMissing, MessageId::RemoveFailed, MessageId::Removed},
};

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

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
  } else {
    result.status = entry();
    // Only the sign counts: S_FALSE and other success codes are successes.
    result.outcome = FAILED(result.status) ? info.failed : info.succeeded;
  }
  const MessageRow& row = Message(result.outcome);
  report(row, row.text932);
  return result;  // `library` is released here, after the box was closed
}

}  // namespace halvern
