#include "fault_devices.h"

#include <new>

#include "core/capture_error.h"
#include "core/pattern.h"

namespace morvane_test {

const wchar_t kRenderFaultText[] = L"テスト用の装置が失敗しました。";

namespace {

struct ForeignError {};  // thrown by code that knows nothing of std::exception

struct RenderFaults {
  RenderFault fault = RenderFault::kNone;
  int countdown = -1;  // calls until the fault; -1: none armed
  bool always = false;
  int calls = 0;
};

RenderFaults g_faults;

[[noreturn]] void Throw(RenderFault fault) {
  switch (fault) {
    case RenderFault::kOutOfMemory:
      throw std::bad_alloc();
    case RenderFault::kCaptureError:
      throw morvane::CaptureError(morvane::CaptureErrorKind::kInvalidFormat, kRenderFaultText);
    case RenderFault::kForeign:
    case RenderFault::kNone:
      break;
  }
  throw ForeignError{};
}

class FaultDevice final : public morvane::VideoDevice {
 public:
  FaultDevice() : bars_(morvane::MakeColourBars()) {}
  const wchar_t* Name() const override { return L"Fault test device"; }
  bool HasFormatDialog() const override { return false; }
  bool HasSourceDialog() const override { return false; }
  bool HasOverlay() const override { return true; }
  const std::vector<morvane::FrameSize>& Sizes() const override { return sizes_; }
  std::vector<const wchar_t*> SourceChoices() const override { return {}; }
  void SelectSource(int) override {}
  int SelectedSource() const override { return 0; }
  void Render(const morvane::FrameFormat& format, std::uint8_t* bits, std::int64_t frame_number,
              std::int64_t microseconds) override {
    ++g_faults.calls;
    if (g_faults.always || (g_faults.countdown >= 0 && g_faults.countdown-- == 0)) Throw(g_faults.fault);
    bars_->Render(format, bits, frame_number, microseconds);
  }

 private:
  std::unique_ptr<morvane::Pattern> bars_;
  std::vector<morvane::FrameSize> sizes_{{160, 120}, {320, 240}};
};

}  // namespace

void ArmRenderFault(RenderFault fault, int at_call) {
  g_faults.fault = fault;
  g_faults.always = false;
  g_faults.countdown = fault == RenderFault::kNone ? -1 : at_call;
}

void ArmRenderFaultAlways(RenderFault fault) {
  g_faults.fault = fault;
  g_faults.always = fault != RenderFault::kNone;
  g_faults.countdown = -1;
}

int RenderCalls() { return g_faults.calls; }

std::vector<std::unique_ptr<morvane::VideoDevice>> MakeFaultDevices() {
  std::vector<std::unique_ptr<morvane::VideoDevice>> devices;
  devices.push_back(std::make_unique<FaultDevice>());
  return devices;
}

}  // namespace morvane_test
