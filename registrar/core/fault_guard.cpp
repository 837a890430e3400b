// GCC 12 takes the fixed segment offset inside MinGW's NtCurrentTeb for an
// out-of-bounds array access; the warning sits in the header, so it is
// silenced around the includes only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#include "fault_guard.h"

#include <cfenv>
#pragma GCC diagnostic pop

namespace halvern {

// Why a vectored handler and a jump back:
// - GCC has no __try/__except, and the frame-based SEH of the i686 tree (a
//   record on the FS:[0] chain) and of the x86_64 tree (unwind tables) would
//   need a different piece of assembly each. A vectored handler and
//   __builtin_setjmp/__builtin_longjmp are the same C++ in both trees.
// - A vectored handler sees the fault first, on the faulting thread, before
//   any frame-based handler. Frame-based handlers between the dialog and the
//   call are not ours: the system's callback dispatch may swallow an exception
//   raised in a window procedure (a 32-bit program on 64-bit Windows), and the
//   user would again be told nothing. The price of seeing it first: a library
//   that provokes and catches its own processor faults is stopped at its first
//   one. Registration code has no business doing that, and software
//   exceptions (C++ throws, debug output, RPC) are left alone, so a library
//   still catches those itself.
// - The jump leaves the crashed library's frames without running their
//   clean-up: the library is in an unknown state and is released right after.
//   On i686 the FS:[0] chain still points into those abandoned frames, so it
//   is put back to the record that was current before the call.
// - Another thread's fault, and a fault outside the call, are not ours: the
//   handler is registered only for the call and checks the thread.
// - Any other exception the library raises and does not handle itself (a
//   C++ throw of another compiler's runtime raises 0xE06D7363) would travel
//   on into the frames that called us: a window procedure's, where the
//   system's callback dispatch swallows it and abandons the stack, or none,
//   which ends the process. So a frame-based handler of ours sits right
//   above the entry point: it sees only what the library's own frames did
//   not handle, and jumps back like the vectored one. The i686 tree links a
//   record into the FS:[0] chain; the x86_64 tree gives the calling
//   function a scope entry in its unwind data (MinGW's __try1), whose
//   filter is ours.

namespace {

// Faults the processor raises in code that went wrong. A stack overflow is
// not among them: after a jump the stack's guard page would stay spent, and
// the next overflow would end the process without any report.
const DWORD kProcessorFaults[] = {
    EXCEPTION_ACCESS_VIOLATION,     EXCEPTION_ILLEGAL_INSTRUCTION,   EXCEPTION_PRIV_INSTRUCTION,
    EXCEPTION_INT_DIVIDE_BY_ZERO,   EXCEPTION_INT_OVERFLOW,          EXCEPTION_ARRAY_BOUNDS_EXCEEDED,
    EXCEPTION_DATATYPE_MISALIGNMENT, EXCEPTION_IN_PAGE_ERROR,        EXCEPTION_FLT_DIVIDE_BY_ZERO,
    EXCEPTION_FLT_INVALID_OPERATION, EXCEPTION_FLT_OVERFLOW,         EXCEPTION_FLT_UNDERFLOW,
    EXCEPTION_FLT_STACK_CHECK,
};

// Where the handler jumps back to. Fields are volatile: they are written by
// the handler and read after the jump.
struct GuardFrame {
  void* jump[5];  // __builtin_setjmp's buffer: five words
  volatile DWORD thread;
  volatile DWORD code;
  EXCEPTION_REGISTRATION_RECORD* volatile chain;
  std::fenv_t floating_point;
};

GuardFrame* volatile g_frame = nullptr;

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  GuardFrame* frame = g_frame;
  if (!frame || frame->thread != GetCurrentThreadId()) return EXCEPTION_CONTINUE_SEARCH;
  const DWORD code = info->ExceptionRecord->ExceptionCode;
  if (!IsProcessorFault(code)) return EXCEPTION_CONTINUE_SEARCH;
  frame->code = code;
  __builtin_longjmp(frame->jump, 1);
}

// The vectored handler, registered for one call only.
class HandlerRegistration {
 public:
  HandlerRegistration() : handle_(AddVectoredExceptionHandler(1, OnException)) {}
  ~HandlerRegistration() {
    if (handle_) RemoveVectoredExceptionHandler(handle_);
  }
  HandlerRegistration(const HandlerRegistration&) = delete;
  HandlerRegistration& operator=(const HandlerRegistration&) = delete;

 private:
  PVOID handle_;
};

// The active frame, cleared however the call ends.
class ActiveFrame {
 public:
  explicit ActiveFrame(GuardFrame& frame) { g_frame = &frame; }
  ~ActiveFrame() { g_frame = nullptr; }
  ActiveFrame(const ActiveFrame&) = delete;
  ActiveFrame& operator=(const ActiveFrame&) = delete;
};

NT_TIB* ThreadInformation() { return reinterpret_cast<NT_TIB*>(NtCurrentTeb()); }

// What the frame-based handler does with an exception that reached it from
// the library: ends the call if it is ours, else lets the search go on.
void EndCallOn(DWORD code) {
  GuardFrame* frame = g_frame;
  if (!frame || frame->thread != GetCurrentThreadId()) return;
  frame->code = code;
  __builtin_longjmp(frame->jump, 1);
}

}  // namespace

#if defined(__x86_64__)
// The scope filter named in CallInScope's unwind data, by its plain name.
extern "C" LONG HalvernGuardScopeFilter(EXCEPTION_POINTERS* info, void*) {
  EndCallOn(info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_CONTINUE_SEARCH;
}

namespace {

// Never inlined or cloned: the scope entry covers exactly this call, and
// the labels exist once. No destructors here, so the compiler adds no
// handler of its own to the function.
__attribute__((noinline, noclone)) HRESULT CallInScope(EntryPoint entry) {
  HRESULT status;
  __asm__ __volatile__(
      "\t.l_halvern_scope_start:\n"
      "\t.seh_handler __C_specific_handler, @except\n"
      "\t.seh_handlerdata\n"
      "\t.long 1\n"
      "\t.rva .l_halvern_scope_start, .l_halvern_scope_end, HalvernGuardScopeFilter, .l_halvern_scope_end\n"
      "\t.text\n");
  status = entry();
  __asm__ __volatile__("\tnop\n\t.l_halvern_scope_end: nop\n");
  return status;
}

}  // namespace
#else
namespace {

EXCEPTION_DISPOSITION NTAPI OnUnhandledInCall(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) == 0) EndCallOn(record->ExceptionCode);
  return ExceptionContinueSearch;
}

// A record on this function's stack, first in the chain for the call: the
// search reaches it after the library's own handlers and before our
// callers'. After a jump back the chain is put back by CallGuarded.
__attribute__((noinline, noclone)) HRESULT CallInScope(EntryPoint entry) {
  EXCEPTION_REGISTRATION_RECORD record = {};
  record.Next = ThreadInformation()->ExceptionList;
  record.Handler = OnUnhandledInCall;
  ThreadInformation()->ExceptionList = &record;
  const HRESULT status = entry();
  ThreadInformation()->ExceptionList = record.Next;
  return status;
}

}  // namespace
#endif

bool IsProcessorFault(DWORD code) {
  for (DWORD fault : kProcessorFaults) {
    if (fault == code) return true;
  }
  return false;
}

GuardedCall CallGuarded(EntryPoint entry) {
  GuardedCall result;
  GuardFrame frame = {};
  frame.thread = GetCurrentThreadId();
  frame.chain = ThreadInformation()->ExceptionList;
  std::fegetenv(&frame.floating_point);
  HandlerRegistration registration;
  ActiveFrame active(frame);
  if (__builtin_setjmp(frame.jump) == 0) {
    result.status = CallInScope(entry);
    return result;
  }
  ThreadInformation()->ExceptionList = frame.chain;
  // A library that unmasked floating-point faults, or left one pending, does
  // not pass that on: the state the call began with comes back.
  std::fesetenv(&frame.floating_point);
  result.exception_code = frame.code;
  return result;
}

}  // namespace halvern
