// The identifiers of our type library, interfaces and class, as generated
// from morvane.idl (defined once, in guids.cpp).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "morvane_idl.h"
