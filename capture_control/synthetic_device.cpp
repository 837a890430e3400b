#include <iterator>

#include "core/pattern.h"
#include "messages.h"
#include "video_device.h"

namespace morvane {
namespace {

enum class Picture { kColourBars, kCheckerboard };

struct DeviceRow {
  TextId name;
  bool has_format_dialog;
  bool has_source_dialog;
  bool has_overlay;
  Picture picture;
  bool all_sizes;  // false: the device offers 320x240 only
};

// They differ on purpose, so that a host's enabling of its dialog and
// overlay buttons can be seen to follow the device.
const DeviceRow kDevices[] = {
    {TextId::kColourBarsDevice, true, true, true, Picture::kColourBars, true},
    {TextId::kCheckerboardDevice, true, false, false, Picture::kCheckerboard, true},
    {TextId::kSimpleCameraDevice, false, false, false, Picture::kColourBars, false},
};

const TextId kSourceChoices[] = {TextId::kColourBarsChoice, TextId::kCheckerboardChoice};

class SyntheticDevice final : public VideoDevice {
 public:
  explicit SyntheticDevice(const DeviceRow& row)
      : row_(row),
        bars_(MakeColourBars()),
        checkerboard_(MakeMovingCheckerboard()),
        selected_(row.picture == Picture::kColourBars ? 0 : 1) {
    if (row.all_sizes) {
      sizes_ = {{160, 120}, {176, 144}, {320, 240}, {352, 288}, {640, 480}};
    } else {
      sizes_ = {{320, 240}};
    }
  }

  const wchar_t* Name() const override { return UiText(row_.name); }
  bool HasFormatDialog() const override { return row_.has_format_dialog; }
  bool HasSourceDialog() const override { return row_.has_source_dialog; }
  bool HasOverlay() const override { return row_.has_overlay; }
  const std::vector<FrameSize>& Sizes() const override { return sizes_; }
  std::vector<const wchar_t*> SourceChoices() const override {
    if (!row_.has_source_dialog) return {};
    std::vector<const wchar_t*> choices;
    for (TextId choice : kSourceChoices) choices.push_back(UiText(choice));
    return choices;
  }
  void SelectSource(int choice) override {
    if (choice >= 0 && choice < static_cast<int>(std::size(kSourceChoices))) selected_ = choice;
  }
  int SelectedSource() const override { return selected_; }
  void Render(const FrameFormat& format, std::uint8_t* bits, std::int64_t frame_number, std::int64_t microseconds) override {
    Pattern& pattern = selected_ == 0 ? *bars_ : *checkerboard_;
    pattern.Render(format, bits, frame_number, microseconds);
  }

 private:
  DeviceRow row_;
  std::unique_ptr<Pattern> bars_;
  std::unique_ptr<Pattern> checkerboard_;
  std::vector<FrameSize> sizes_;
  int selected_;
};

}  // namespace

std::vector<std::unique_ptr<VideoDevice>> MakeSyntheticDevices() {
  std::vector<std::unique_ptr<VideoDevice>> devices;
  for (const DeviceRow& row : kDevices) devices.push_back(std::make_unique<SyntheticDevice>(row));
  return devices;
}

}  // namespace morvane
