#include "option_handlers.h"

#include <cmath>

#include "leading_number.h"
#include "number_to_text.h"
#include "runtime_error.h"

namespace sample {
namespace {

// Which box writes which member.
struct ToggleRow {
  int check;
  Member member;
};

constexpr ToggleRow kToggles[] = {
    {1, Member::Preview},         {3, Member::AudioRecording},   {4, Member::TimeLimitEnabled},
    {5, Member::ConfirmBeforeCapture}, {6, Member::Overlay},     {8, Member::StopOnLeftClick},
    {9, Member::StopOnRightClick},
};

// The size fields kept in ratio when they lose the focus, and the lock
// boxes' own clicks (always width to height).
struct RatioRow {
  int lock_check;
  int source_text;
  int target_text;
  RatioDirection direction;
};

constexpr RatioRow kCaptureWidthRow = {7, 7, 8, RatioDirection::WidthToHeight};
constexpr RatioRow kPreviewWidthRow = {2, 10, 11, RatioDirection::WidthToHeight};

constexpr RatioRow kFocusSteps[] = {
    kCaptureWidthRow,
    {7, 8, 7, RatioDirection::HeightToWidth},
    kPreviewWidthRow,
    {2, 11, 10, RatioDirection::HeightToWidth},
};

constexpr std::int16_t kLockSet = 1;

}  // namespace

double RatioPartner(double x, RatioDirection direction) {
  // Divide first, then multiply, as the fields have always been computed.
  double y = direction == RatioDirection::WidthToHeight ? x / 4 * 3 : x / 3 * 4;
  if (!std::isfinite(y)) throw convert::RuntimeError::Overflow();
  return std::floor(y);
}

void ToggleWrite(SampleView& view, int check, Member member) {
  view.Morvane1().PutToggle(member, view.Check(check).State());
}

void RatioStep(SampleView& view, int lock_check, int source_text, int target_text, RatioDirection direction) {
  if (view.Check(lock_check).State() != kLockSet) return;
  double x = convert::LeadingNumber(view.Text(source_text).Text());
  view.Text(target_text).SetText(convert::NumberToText(RatioPartner(x, direction)));
}

void CaptureFileNameWrite(SampleView& view) { view.Morvane1().PutCaptureFileName(view.Text(2).Text()); }

void PreviewRateWrite(SampleView& view) {
  view.Morvane1().PutPreviewRate(convert::LeadingNumber(view.Text(9).Text()));
}

void PreviewRateReadBack(SampleView& view) {
  view.Text(9).SetText(convert::NumberToText(view.Morvane1().PreviewRate()));
}

void BindOptionHandlers(SampleView& view) {
  for (const ToggleRow& row : kToggles) {
    view.Check(row.check).OnClick([&view, row] { ToggleWrite(view, row.check, row.member); });
  }
  for (const RatioRow& row : {kCaptureWidthRow, kPreviewWidthRow}) {
    view.Check(row.lock_check).OnClick([&view, row] {
      RatioStep(view, row.lock_check, row.source_text, row.target_text, row.direction);
    });
  }
  for (const RatioRow& row : kFocusSteps) {
    view.Text(row.source_text).OnLostFocus([&view, row] {
      RatioStep(view, row.lock_check, row.source_text, row.target_text, row.direction);
    });
  }
  view.Text(2).OnLostFocus([&view] { CaptureFileNameWrite(view); });
  view.Text(9).OnChange([&view] { PreviewRateWrite(view); });
  view.Text(9).OnLostFocus([&view] { PreviewRateReadBack(view); });
}

}  // namespace sample
