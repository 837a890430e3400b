// One late-bound call through IDispatch, with failures turned into the
// program's run-time error (the HRESULT as number, the callee's own text).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "basics/variant.h"
#include "convert/runtime_error.h"

namespace sample {

using basics::Variant;

// kind is DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT.
// args are in the caller's order (first argument first); result may be null.
// Throws convert::RuntimeError when the call fails.
void InvokeDispatch(IDispatch* target, DISPID dispid, WORD kind, VARIANT* args, UINT arg_count, VARIANT* result,
                    const wchar_t* member_name);

// The run-time error for a failed call: EXCEPINFO's scode (or wCode) and
// description when the callee raised one, the HRESULT otherwise.
convert::RuntimeError DispatchError(HRESULT hr, EXCEPINFO* info, const wchar_t* member_name);

}  // namespace sample
