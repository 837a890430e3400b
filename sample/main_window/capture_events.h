// The main window's handlers of the control's two events.
#pragma once

#include <cstdint>
#include <string>

#include "options/sample_view.h"

namespace sample {

// "ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ(c) ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ(d)", the counts as passed.
std::wstring CaptureReportText(std::int32_t captured, std::int32_t dropped);

void CaptureCompleteHandler(SampleView& view, std::int32_t captured, std::int32_t dropped);

// Draws the frame into the stream window, lets waiting messages run, then
// answers with StopFlag as it stands after them. Allocates nothing.
void StreamFrameHandler(SampleView& view, std::int32_t width, std::int32_t height, std::int32_t bitmap_info,
                        std::int32_t bits, std::int16_t* stop);

}  // namespace sample
