#include "forms/screen_units.h"

#include <windows.h>

#include <cmath>

#include "forms/screen_resolution.h"

namespace forms {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kHimetricPerInch = 2540;

double ResolutionX() { return ScreenPixelsPerInch().x; }
double ResolutionY() { return ScreenPixelsPerInch().y; }

}  // namespace

double TwipsToPixelsX(double twips) { return twips * ResolutionX() / kTwipsPerInch; }
double TwipsToPixelsY(double twips) { return twips * ResolutionY() / kTwipsPerInch; }
int TwipsToPixelX(int twips) { return static_cast<int>(std::lround(TwipsToPixelsX(twips))); }
int TwipsToPixelY(int twips) { return static_cast<int>(std::lround(TwipsToPixelsY(twips))); }
double PixelsToTwipsX(int pixels) { return pixels * kTwipsPerInch / ResolutionX(); }
double PixelsToTwipsY(int pixels) { return pixels * kTwipsPerInch / ResolutionY(); }

std::int64_t HimetricToPixels(std::int64_t himetric, int pixels_per_inch) {
  const std::int64_t scaled = himetric * pixels_per_inch;
  const std::int64_t half = kHimetricPerInch / 2;
  return scaled < 0 ? -((-scaled + half) / kHimetricPerInch) : (scaled + half) / kHimetricPerInch;
}

int PixelsToHimetricX(int pixels) { return MulDiv(pixels, kHimetricPerInch, ScreenPixelsPerInch().x); }
int PixelsToHimetricY(int pixels) { return MulDiv(pixels, kHimetricPerInch, ScreenPixelsPerInch().y); }

}  // namespace forms
