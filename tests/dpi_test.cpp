// Tests of the arithmetic between layout lengths at 96 DPI and pixels at the screen's DPI.
#include "tests/gtest_win.h"

#include "win/dpi.h"

namespace {

struct ScaleCase {
    int length;
    int dpi;
    int scaled;
};

TEST(DpiTest, ScaleRoundsToTheNearestPixel)
{
    const ScaleCase cases[] = {
        {403, 96, 403},  // 96 DPI leaves every length as it is
        {13, 96, 13},    // and the font's height
        {403, 144, 605}, // 604.5: halves round up
        {224, 144, 336}, // the single-job window's client height at 150 %
        {13, 144, 20},   // the form font's cell height at 150 %
        {1, 144, 2},     // 1.5
        {57, 144, 86},   // 85.5
        {3, 120, 4},     // 3.75
        {1, 120, 1},     // 1.25
        {13, 120, 16},   // 16.25
        {13, 168, 23},   // 22.75 at 175 %
        {403, 192, 806}, // 200 % is exact
        {0, 144, 0},     // nothing stays nothing
    };
    for (const ScaleCase& c : cases)
        EXPECT_EQ(win::ScaleTo(c.length, c.dpi), c.scaled) << c.length << " at " << c.dpi << " DPI";
}

TEST(DpiTest, UnscaleRoundsUp)
{
    const ScaleCase cases[] = {
        {99, 96, 99},     // 96 DPI leaves every length as it is
        {99, 144, 66},    // exact
        {100, 144, 67},   // 66.67
        {98, 144, 66},    // 65.33: rounded up, not to the nearest
        {1, 144, 1},      // 0.67
        {0, 144, 0},      // nothing stays nothing
        {125, 120, 100},  // exact
        {126, 120, 101},  // 100.8
        {-100, 144, -66}, // -66.67: up is towards zero
    };
    for (const ScaleCase& c : cases)
        EXPECT_EQ(win::UnscaleFrom(c.length, c.dpi), c.scaled) << c.length << " pixels at " << c.dpi << " DPI";
}

// A text measured at the screen's DPI, turned into a layout length and scaled back, fits and is at
// most one layout pixel wider.
TEST(DpiTest, MeasuredLengthsFitOnceScaledBack)
{
    for (int dpi : {96, 120, 144, 168, 192, 240, 288}) {
        for (int pixels = 0; pixels <= 1000; ++pixels) {
            const int scaled = win::ScaleTo(win::UnscaleFrom(pixels, dpi), dpi);
            ASSERT_GE(scaled, pixels) << pixels << " pixels at " << dpi << " DPI";
            ASSERT_LE(scaled, pixels + (dpi + 95) / 96) << pixels << " pixels at " << dpi << " DPI";
        }
    }
}

} // namespace
