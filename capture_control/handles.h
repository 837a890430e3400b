// The handle owners and scopes the control holds, by the names its code
// uses; all of them are the kit's shared ones.
#pragma once

#include "basics/handles.h"
#include "basics/scopes.h"

namespace morvane {

using basics::UniqueHglobal;
using basics::UniqueHkey;
using basics::UniqueHwnd;
// Any kernel object closed by CloseHandle: files, events, threads.
using UniqueFile = basics::UniqueKernelHandle;

using basics::ClipboardScope;
using basics::GlobalLockScope;
using basics::PaintScope;
using basics::SelectScope;
using basics::WindowDc;

}  // namespace morvane
