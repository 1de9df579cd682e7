#include "ui/twips.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(Twips, ConvertsWithTheLogicalDpiOfTheReferenceWidget) {
    // 1440 twips per inch: 15 per pixel at 96 DPI, 12 at 120, 10 at 144; rounded to nearest.
    EXPECT_EQ(Twips::toPixels(2550, 120.0), 213);
    EXPECT_EQ(Twips::toPixels(-1000, 96.0), -67);
    EXPECT_EQ(Twips::fromPixels(170, 144.0), 1700);
    // Whole pixels survive the trip through twips at any DPI.
    for (const double dpi : {72.0, 96.0, 120.0, 144.0, 192.0})
        for (const int px : {1, 7, 433, 2184})
            EXPECT_EQ(Twips::toPixels(Twips::fromPixels(px, dpi), dpi), px) << dpi << " " << px;
    // A broken DPI reading falls back to 96 rather than dividing by zero.
    EXPECT_EQ(Twips::fromPixels(10, 0.0), 150);

    QWidget w;
    EXPECT_EQ(Twips::toPixelsY(1440, &w), w.logicalDpiY());
    EXPECT_EQ(Twips::fromPixelsX(w.logicalDpiX(), &w), 1440);
}

} // namespace
} // namespace tarvex
