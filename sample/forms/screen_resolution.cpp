#include "forms/screen_resolution.h"

#include <optional>

namespace forms {
namespace {

constexpr int kDefaultPixelsPerInch = 96;

// Only the window thread converts units.
struct ResolutionSource {
  DeviceCapsFunction device_caps = &::GetDeviceCaps;
  std::optional<PixelsPerInch> kept;
};

ResolutionSource& Source() {
  static ResolutionSource source;
  return source;
}

int OrDefault(int pixels_per_inch) { return pixels_per_inch > 0 ? pixels_per_inch : kDefaultPixelsPerInch; }

}  // namespace

PixelsPerInch ScreenPixelsPerInch() {
  ResolutionSource& source = Source();
  if (!source.kept) {
    PixelsPerInch reading{kDefaultPixelsPerInch, kDefaultPixelsPerInch};
    if (HDC screen = GetDC(nullptr)) {
      reading.x = OrDefault(source.device_caps(screen, LOGPIXELSX));
      reading.y = OrDefault(source.device_caps(screen, LOGPIXELSY));
      ReleaseDC(nullptr, screen);
    }
    source.kept = reading;
  }
  return *source.kept;
}

void SetDeviceCapsFunction(DeviceCapsFunction function) {
  ResolutionSource& source = Source();
  source.device_caps = function != nullptr ? function : &::GetDeviceCaps;
  source.kept.reset();
}

}  // namespace forms
