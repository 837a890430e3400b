#include "units.h"

#include <cmath>

#include "screen_resolution.h"

namespace sample {
namespace {

constexpr double kTwipsPerInch = 1440.0;

double ResolutionX() { return forms::ScreenPixelsPerInch().x; }
double ResolutionY() { return forms::ScreenPixelsPerInch().y; }

}  // namespace

double TwipsToPixelsX(double twips) { return twips * ResolutionX() / kTwipsPerInch; }
double TwipsToPixelsY(double twips) { return twips * ResolutionY() / kTwipsPerInch; }
int TwipsToPixelX(int twips) { return static_cast<int>(std::lround(TwipsToPixelsX(twips))); }
int TwipsToPixelY(int twips) { return static_cast<int>(std::lround(TwipsToPixelsY(twips))); }
double PixelsToTwipsX(int pixels) { return pixels * kTwipsPerInch / ResolutionX(); }
double PixelsToTwipsY(int pixels) { return pixels * kTwipsPerInch / ResolutionY(); }

}  // namespace sample
