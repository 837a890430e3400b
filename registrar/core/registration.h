// Register and Remove: load the library, call its self-registration entry
// point once, report the outcome, release the library.
#pragma once

#include <functional>
#include <string>

#include "messages.h"

namespace halvern {

enum class Command { kRegister, kRemove };

// One report: the message row and its text (the row's text, or the row's text
// with the load error or exception code filled in). Called while the library is still loaded; the library is
// released only after the report returns, that is after the box was closed.
using Reporter = std::function<void(const MessageRow& row, const std::string& text932)>;

struct CommandRow {
  Command command;
  const char* entry_point;
  MessageId missing;
  MessageId failed;
  MessageId succeeded;
  MessageId crashed;
};

const CommandRow& CommandInfo(Command command);

// The status the entry point returned, for callers that want it; not shown.
struct CommandResult {
  MessageId outcome;
  HRESULT status = S_OK;
  DWORD load_error = ERROR_SUCCESS;
  DWORD exception_code = 0;  // the fault that ended the entry point, if one did
};

CommandResult RunRegistrationCommand(Command command, const std::string& path932, const Reporter& report);

}  // namespace halvern
