// Twips, the unit the windows' layouts are given in (1/1440 inch, so 15 twips to a pixel at
// 96 DPI), and the pixel sizes and rectangles they come out as.
#pragma once

#include <cmath>

namespace torva {

inline constexpr int kTwipsPerInch = 1440;

// A screen's logical DPI at 100 %, also taken for a screen that reports none: a failed query
// answers 0, which would make every size infinite and every position undefined.
inline constexpr int kDefaultDpi = 96;

inline int UsableDpi(int dpi) { return dpi > 0 ? dpi : kDefaultDpi; }

inline float PixelsToTwips(int pixels, int dpi) {
  return static_cast<float>(pixels) * kTwipsPerInch / static_cast<float>(UsableDpi(dpi));
}

// To the nearest pixel; positions that come out at half a pixel go to the even neighbour.
inline int TwipsToPixels(float twips, int dpi) {
  return static_cast<int>(std::nearbyint(twips * static_cast<float>(UsableDpi(dpi)) / kTwipsPerInch));
}

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// Position and size in pixels, within the parent window for a child.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace torva
