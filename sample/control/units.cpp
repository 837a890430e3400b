#include "units.h"

#include <windows.h>

#include <cmath>

namespace sample {
namespace {

struct Resolution {
  int x;
  int y;
};

Resolution ScreenResolution() {
  static const Resolution resolution = [] {
    HDC screen = GetDC(nullptr);
    Resolution r{96, 96};
    if (screen != nullptr) {
      r.x = GetDeviceCaps(screen, LOGPIXELSX);
      r.y = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
    if (r.x <= 0) r.x = 96;
    if (r.y <= 0) r.y = 96;
    return r;
  }();
  return resolution;
}

constexpr double kTwipsPerInch = 1440.0;

}  // namespace

double TwipsToPixelsX(double twips) { return twips * ScreenResolution().x / kTwipsPerInch; }
double TwipsToPixelsY(double twips) { return twips * ScreenResolution().y / kTwipsPerInch; }
int TwipsToPixelX(int twips) { return static_cast<int>(std::lround(TwipsToPixelsX(twips))); }
int TwipsToPixelY(int twips) { return static_cast<int>(std::lround(TwipsToPixelsY(twips))); }
double PixelsToTwipsX(int pixels) { return pixels * kTwipsPerInch / ScreenResolution().x; }
double PixelsToTwipsY(int pixels) { return pixels * kTwipsPerInch / ScreenResolution().y; }

}  // namespace sample
