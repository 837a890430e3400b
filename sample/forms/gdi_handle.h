// The handle owners and scopes the program's windows keep, by the names the
// widget layer uses; all of them are the kit's shared ones.
#pragma once

#include "basics/handles.h"
#include "basics/scopes.h"

namespace forms {

using basics::UniqueBitmap;
using basics::UniqueBrush;
using basics::UniqueEnhMetafile;
using basics::UniqueFont;
using basics::UniqueMemoryDc;
using basics::UniqueMetafile;

using basics::GlobalLockScope;
using basics::PaintScope;
using basics::SelectScope;
using basics::WindowDc;

}  // namespace forms
