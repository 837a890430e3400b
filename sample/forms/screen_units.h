// Twips (1440 an inch), hundredths of a millimetre (2540 an inch) and the
// screen's pixels. Every conversion reads the one screen resolution, so all
// windows agree on one grid.
#pragma once

#include <cstdint>

namespace forms {

double TwipsToPixelsX(double twips);
double TwipsToPixelsY(double twips);
int TwipsToPixelX(int twips);  // rounded to the nearest pixel
int TwipsToPixelY(int twips);
double PixelsToTwipsX(int pixels);
double PixelsToTwipsY(int pixels);

// A length in hundredths of a millimetre as the pixels of one axis, rounded
// to the nearest as MulDiv does; 64-bit, so that the difference or magnitude
// of any two 32-bit coordinates fits.
std::int64_t HimetricToPixels(std::int64_t himetric, int pixels_per_inch);
// Pixels as hundredths of a millimetre (an OLE object's extent).
int PixelsToHimetricX(int pixels);
int PixelsToHimetricY(int pixels);

}  // namespace forms
