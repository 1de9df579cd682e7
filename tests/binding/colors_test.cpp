#include "binding/colors.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace tarvex {
namespace {

TEST(Colors, DesignedValuesAreBlueGreenRedWithRedInTheLowByte) {
    EXPECT_EQ(colorFromDesigned(0x000000FF), QColor(255, 0, 0));
    EXPECT_EQ(colorFromDesigned(0x0000FFFF), QColor(255, 255, 0));
    EXPECT_EQ(colorFromDesigned(0x00404040), QColor(64, 64, 64));
    EXPECT_EQ(colorFromDesigned(0x00FF8010), QColor(0x10, 0x80, 0xFF));
    EXPECT_EQ(designedFromColor(QColor(0x10, 0x80, 0xFF)), 0x00FF8010u);
    EXPECT_FALSE(systemColorRole(0x00FF8010).has_value());
}

TEST(Colors, SystemColorsFollowThePalette) {
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Dark, QColor(4, 5, 6));
    palette.setColor(QPalette::HighlightedText, QColor(7, 8, 9));
    EXPECT_EQ(colorFromDesigned(0x8000000F, palette), QColor(1, 2, 3)); // button face
    EXPECT_EQ(colorFromDesigned(0x80000010, palette), QColor(4, 5, 6)); // button shadow
    EXPECT_EQ(colorFromDesigned(0x8000000E, palette), QColor(7, 8, 9)); // highlight text
    EXPECT_EQ(systemColorRole(0x80000005), QPalette::Base);
    EXPECT_EQ(colorFromDesigned(0x8000000F), QApplication::palette().color(QPalette::Button));
    // A number beyond the known system colours is not silently black.
    EXPECT_FALSE(colorFromDesigned(0x80000063).isValid());
}

} // namespace
} // namespace tarvex
