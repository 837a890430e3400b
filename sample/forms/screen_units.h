// Twips (1440 per inch) and the screen's pixels. The process declares itself
// DPI-aware, so the screen's logical resolution is the one windows use.
#pragma once

namespace sample {

double TwipsToPixelsX(double twips);
double TwipsToPixelsY(double twips);
int TwipsToPixelX(int twips);  // rounded to the nearest pixel
int TwipsToPixelY(int twips);
double PixelsToTwipsX(int pixels);
double PixelsToTwipsY(int pixels);

}  // namespace sample
