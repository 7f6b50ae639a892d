// Twips and pixels: every layout is given in twips, and a screen may report any DPI, or none.
#include "startup/twips.h"

#include <gtest/gtest.h>

namespace torva {
namespace {

TEST(Twips, ConvertAtTheScreensDpiOnBothSidesOfTheOrigin) {
  EXPECT_EQ(PixelsToTwips(1024, 96), 15360.0f);
  EXPECT_EQ(PixelsToTwips(1024, 144), 10240.0f);
  EXPECT_EQ(PixelsToTwips(-1280, 96), -19200.0f) << "a monitor left of the primary";
  EXPECT_EQ(TwipsToPixels(-19200, 96), -1280);
  EXPECT_EQ(TwipsToPixels(40, 96), 3) << "2.67 pixels";
  EXPECT_EQ(TwipsToPixels(-40, 96), -3);
  EXPECT_EQ(PixelsToTwips(1, 1), 1440.0f) << "any DPI the screen reports is taken as it is";
}

// A failed query of the screen answers 0: sizes must stay finite and positions defined.
TEST(Twips, AScreenReportingNoDpiCountsAsOneAt96) {
  for (const int dpi : {0, -1}) {
    EXPECT_EQ(PixelsToTwips(1024, dpi), 15360.0f) << dpi;
    EXPECT_EQ(TwipsToPixels(15360, dpi), 1024) << dpi;
  }
}

}  // namespace
}  // namespace torva
