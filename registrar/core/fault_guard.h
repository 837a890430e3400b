// Calling an entry point of a library we cannot vouch for, so that a crash
// inside it ends the call instead of the tool.
#pragma once

#include <windows.h>

namespace halvern {

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

struct GuardedCall {
  HRESULT status = S_OK;     // what the entry point returned, when it returned
  DWORD exception_code = 0;  // the fault that ended it instead; 0 when it returned
  bool faulted() const { return exception_code != 0; }
};

// True for the processor faults a guarded call is ended on.
bool IsProcessorFault(DWORD code);

// Calls `entry` once on this thread. A processor fault raised on this thread
// before it returns ends the call, and so does any other exception that the
// library does not handle itself (a C++ exception of another compiler,
// 0xE06D7363, say): the exception code is returned, and the caller goes on
// as if the entry point had returned.
GuardedCall CallGuarded(EntryPoint entry);

}  // namespace halvern
