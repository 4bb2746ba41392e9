#include "DialogUnits.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(DialogUnits, MulDivRoundsHalfAwayFromZeroAndRefusesWhatCannotBe) {
    EXPECT_EQ(ui::mulDiv(3, 6, 4), 5);     // 4.5
    EXPECT_EQ(ui::mulDiv(5, 7, 4), 9);     // 8.75
    EXPECT_EQ(ui::mulDiv(1, 7, 4), 2);     // 1.75
    EXPECT_EQ(ui::mulDiv(1, 1, 3), 0);     // 0.33
    EXPECT_EQ(ui::mulDiv(-3, 6, 4), -5);   // -4.5
    EXPECT_EQ(ui::mulDiv(3, 6, -4), -5);
    EXPECT_EQ(ui::mulDiv(-3, -6, -4), -5);
    EXPECT_EQ(ui::mulDiv(7, 13, 8), 11);   // 11.375
    EXPECT_EQ(ui::mulDiv(1, 2, 0), -1);
    int big = std::numeric_limits<int>::max();
    EXPECT_EQ(ui::mulDiv(big, big, big), big);  // the intermediate exceeds 32 bits
    EXPECT_EQ(ui::mulDiv(big, 4, 1), -1);
}

TEST(DialogUnits, BaseUnitsAndConversion) {
    // A 9-point Gothic at 96 dpi: the alphabet 369 pixels wide, 13 high.
    ui::BaseUnits base = ui::baseUnitsOf(369, 13);
    EXPECT_EQ(base.x, 7);
    EXPECT_EQ(base.y, 13);
    EXPECT_EQ(ui::baseUnitsOf(312, 16).x, 6);  // 312 / 26 = 12, (12 + 1) / 2

    ui::Rect pixels = ui::dluToPixels(ui::Rect{7, 7, 165, 30}, base);
    EXPECT_EQ(pixels.left, 12);    // 12.25
    EXPECT_EQ(pixels.top, 11);     // 11.375
    EXPECT_EQ(pixels.width, 289);  // 288.75
    EXPECT_EQ(pixels.height, 49);  // 48.75
    // Each of x, y, cx, cy is converted on its own, as the dialog manager does.
    EXPECT_EQ(ui::dluToPixelsX(174, base), 305);  // 304.5
    EXPECT_EQ(ui::dluToPixelsY(171, base), 278);  // 277.875
}

}  // namespace
