#include "main_window/capture_events.h"

#include "convert/number_to_text.h"
#include "forms/message_pump.h"
#include "stream_window/stream_form.h"

namespace sample {

std::wstring CaptureReportText(std::int32_t captured, std::int32_t dropped) {
  return L"ｷｬﾌﾟﾁｬしたﾌﾚｰﾑ(" + convert::NumberToText(captured) + L") ﾄﾞﾛｯﾌﾟしたﾌﾚｰﾑ(" +
         convert::NumberToText(dropped) + L")";
}

void CaptureCompleteHandler(SampleView& view, std::int32_t captured, std::int32_t dropped) {
  view.ShowMessage(CaptureReportText(captured, dropped), MB_OK);
}

void StreamFrameHandler(SampleView& view, std::int32_t width, std::int32_t height, std::int32_t bitmap_info,
                        std::int32_t bits, std::int16_t* stop) {
  StreamForm& form = StreamForm::Instance();
  form.EnsureCreated();
  form.DrawFrame(width, height, bitmap_info, bits);
  forms::PumpWaitingMessages();
  // Read after the pass: a handler run just now (the exit button, another
  // capture ending) decides this very frame.
  *stop = view.StopFlag();
}

}  // namespace sample
