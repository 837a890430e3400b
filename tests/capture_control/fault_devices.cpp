#include "fault_devices.h"

#include <new>

#include "core/capture_error.h"
#include "core/pattern.h"
#include "video_device.h"

namespace morvane_test {

const wchar_t kRenderFaultText[] = L"テスト用の装置が失敗しました。";

namespace {

RenderFault g_fault = RenderFault::kNone;
int g_countdown = -1;
int g_calls = 0;

class FaultyDevice final : public morvane::VideoDevice {
 public:
  FaultyDevice() : bars_(morvane::MakeColourBars()) {}
  const wchar_t* Name() const override { return L"Fault test device"; }
  bool HasFormatDialog() const override { return false; }
  bool HasSourceDialog() const override { return false; }
  bool HasOverlay() const override { return false; }
  const std::vector<morvane::FrameSize>& Sizes() const override { return sizes_; }
  std::vector<const wchar_t*> SourceChoices() const override { return {}; }
  void SelectSource(int) override {}
  int SelectedSource() const override { return 0; }
  void Render(const morvane::FrameFormat& format, std::uint8_t* bits, std::int64_t frame_number,
              std::int64_t microseconds) override {
    ++g_calls;
    if (g_countdown >= 0 && g_countdown-- == 0) Throw(g_fault);
    bars_->Render(format, bits, frame_number, microseconds);
  }

 private:
  static void Throw(RenderFault fault) {
    switch (fault) {
      case RenderFault::kOutOfMemory:
        throw std::bad_alloc();
      case RenderFault::kCaptureError:
        throw morvane::CaptureError(morvane::CaptureErrorKind::kInvalidFormat, kRenderFaultText);
      case RenderFault::kForeign:
        throw 42;
      case RenderFault::kNone:
        break;
    }
  }

  std::unique_ptr<morvane::Pattern> bars_;
  std::vector<morvane::FrameSize> sizes_{{160, 120}, {320, 240}};
};

}  // namespace

void ArmRenderFault(RenderFault fault, int at_call) {
  g_fault = fault;
  g_countdown = fault == RenderFault::kNone ? -1 : at_call;
}

int RenderCalls() { return g_calls; }

}  // namespace morvane_test

namespace morvane {

std::vector<std::unique_ptr<VideoDevice>> MakeSyntheticDevices() {
  std::vector<std::unique_ptr<VideoDevice>> devices;
  devices.push_back(std::make_unique<morvane_test::FaultyDevice>());
  return devices;
}

}  // namespace morvane
