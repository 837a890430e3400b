// The option check boxes and the numeric fields: each box writes its state
// into one control member, the two 4:3 locks keep a size pair in ratio, and
// the file-name and preview-rate fields write through to the control.
#pragma once

#include <string>

#include "sample_view.h"

namespace sample {

enum class RatioDirection { WidthToHeight, HeightToWidth };

// The partner value of a 4:3 pair: x / 4 * 3 or x / 3 * 4, rounded down.
// Throws convert::RuntimeError (overflow) when the result is no finite number.
double RatioPartner(double x, RatioDirection direction);

// Installs every handler of this group on the view's widgets.
void BindOptionHandlers(SampleView& view);

// The handlers, by name, for the window and the tests.
void ToggleWrite(SampleView& view, int check, Member member);
void RatioStep(SampleView& view, int lock_check, int source_text, int target_text, RatioDirection direction);
void CaptureFileNameWrite(SampleView& view);
void PreviewRateWrite(SampleView& view);
void PreviewRateReadBack(SampleView& view);

}  // namespace sample
