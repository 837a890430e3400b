// Emits the GUID definitions that the generated header declares.
#include <initguid.h>

#include "morvane_guids.h"
