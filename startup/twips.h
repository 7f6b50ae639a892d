// Twips, the unit of the show's geometry: 1/1440 inch, so 15 twips to a pixel at 96 DPI.
#pragma once

#include <cmath>

namespace torva {

inline constexpr int kTwipsPerInch = 1440;

inline float PixelsToTwips(int pixels, int dpi) {
  return static_cast<float>(pixels) * kTwipsPerInch / static_cast<float>(dpi);
}

// To the nearest pixel; positions that come out at half a pixel go to the even neighbour.
inline int TwipsToPixels(float twips, int dpi) {
  return static_cast<int>(std::nearbyint(twips * static_cast<float>(dpi) / kTwipsPerInch));
}

}  // namespace torva
