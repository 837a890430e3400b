#include "options/option_handlers.h"

#include <cmath>

#include "convert/leading_number.h"
#include "convert/number_to_text.h"
#include "convert/runtime_error.h"

namespace sample {
namespace {

// Which box writes which member.
struct ToggleRow {
  BoxName box;
  Member member;
};

constexpr ToggleRow kToggles[] = {
    {kPreviewBox, Member::Preview},
    {kAudioBox, Member::AudioRecording},
    {kTimeLimitBox, Member::TimeLimitEnabled},
    {kConfirmBox, Member::ConfirmBeforeCapture},
    {kOverlayBox, Member::Overlay},
    {kStopOnLeftClickBox, Member::StopOnLeftClick},
    {kStopOnRightClickBox, Member::StopOnRightClick},
};

constexpr RatioRow kCaptureWidthRow = {kCaptureRatioLock, kCaptureWidthField, kCaptureHeightField,
                                       RatioDirection::WidthToHeight};
constexpr RatioRow kPreviewWidthRow = {kPreviewRatioLock, kPreviewWidthField, kPreviewHeightField,
                                       RatioDirection::WidthToHeight};

constexpr RatioRow kFocusSteps[] = {
    kCaptureWidthRow,
    {kCaptureRatioLock, kCaptureHeightField, kCaptureWidthField, RatioDirection::HeightToWidth},
    kPreviewWidthRow,
    {kPreviewRatioLock, kPreviewHeightField, kPreviewWidthField, RatioDirection::HeightToWidth},
};

constexpr std::int16_t kLockSet = 1;

}  // namespace

double RatioPartner(double x, RatioDirection direction) {
  // Divide first, then multiply, as the fields have always been computed.
  double y = direction == RatioDirection::WidthToHeight ? x / 4 * 3 : x / 3 * 4;
  if (!std::isfinite(y)) throw convert::RuntimeError::Overflow();
  return std::floor(y);
}

void ToggleWrite(SampleView& view, BoxName box, Member member) {
  view.Morvane1().PutToggle(member, view.At(box).State());
}

void RatioStep(SampleView& view, const RatioRow& row) {
  if (view.At(row.lock).State() != kLockSet) return;
  double x = convert::LeadingNumber(view.At(row.source).Text());
  view.At(row.target).SetText(convert::NumberToText(RatioPartner(x, row.direction)));
}

void CaptureFileNameWrite(SampleView& view) {
  view.Morvane1().PutCaptureFileName(view.At(kCaptureFileField).Text());
}

void PreviewRateWrite(SampleView& view) {
  view.Morvane1().PutPreviewRate(convert::LeadingNumber(view.At(kPreviewRateField).Text()));
}

void PreviewRateReadBack(SampleView& view) {
  view.At(kPreviewRateField).SetText(convert::NumberToText(view.Morvane1().PreviewRate()));
}

void BindOptionHandlers(SampleView& view) {
  for (const ToggleRow& row : kToggles) {
    view.At(row.box).OnClick([&view, row] { ToggleWrite(view, row.box, row.member); });
  }
  for (const RatioRow& row : {kCaptureWidthRow, kPreviewWidthRow}) {
    view.At(row.lock).OnClick([&view, row] { RatioStep(view, row); });
  }
  for (const RatioRow& row : kFocusSteps) {
    view.At(row.source).OnLostFocus([&view, row] { RatioStep(view, row); });
  }
  view.At(kCaptureFileField).OnLostFocus([&view] { CaptureFileNameWrite(view); });
  view.At(kPreviewRateField).OnChange([&view] { PreviewRateWrite(view); });
  view.At(kPreviewRateField).OnLostFocus([&view] { PreviewRateReadBack(view); });
}

}  // namespace sample
