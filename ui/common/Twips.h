#pragma once

#include <cmath>

// Window geometry is specified in twips (1/1440 inch); stored window sizes stay in twips.
// At 96 logical DPI a pixel is 15 twips.
inline constexpr double kTwipsPerInch = 1440.0;

inline int TwipsToPixels(double twips, double logicalDpi = 96.0) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}

inline double PixelsToTwips(int pixels, double logicalDpi = 96.0) { return pixels * kTwipsPerInch / logicalDpi; }
