// The option check boxes and the numeric fields: each box writes its state
// into one control member, the two 4:3 locks keep a size pair in ratio, and
// the file-name and preview-rate fields write through to the control.
#pragma once

#include <string>

#include "options/sample_view.h"

namespace sample {

enum class RatioDirection { WidthToHeight, HeightToWidth };

// The partner value of a 4:3 pair: x / 4 * 3 or x / 3 * 4, rounded down.
// Throws convert::RuntimeError (overflow) when the result is no finite number.
double RatioPartner(double x, RatioDirection direction);

// Installs every handler of this group on the view's widgets.
void BindOptionHandlers(SampleView& view);

// The handlers, by name, for the window and the tests.
// The size fields kept in ratio when they lose the focus, and the lock
// boxes' own clicks (always width to height).
struct RatioRow {
  BoxName lock;
  FieldName source;
  FieldName target;
  RatioDirection direction;
};

void ToggleWrite(SampleView& view, BoxName box, Member member);
void RatioStep(SampleView& view, const RatioRow& row);
void CaptureFileNameWrite(SampleView& view);
void PreviewRateWrite(SampleView& view);
void PreviewRateReadBack(SampleView& view);

}  // namespace sample
