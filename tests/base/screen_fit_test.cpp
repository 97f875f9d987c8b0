#include "base/screen_fit.h"

#include "base/dpi.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

// A 1920 x 1080 screen with a 60-pixel taskbar at the bottom.
constexpr ScreenBox kWork{0, 0, 1920, 1020};

TEST(ScreenFit, WindowsAreMovedIntoTheWorkAreaWithTheirTopLeftCornerFirst) {
    struct Case {
        const char* what;
        ScreenBox window, fitted;
    };
    const Case cases[] = {
        {"inside stays", {100, 100, 500, 400}, {100, 100, 500, 400}},
        {"above the top", {100, -30, 500, 370}, {100, 0, 500, 400}},
        {"under the taskbar", {1700, 900, 1900, 1060}, {1700, 860, 1900, 1020}},
        {"past the right", {1800, 10, 2000, 50}, {1720, 10, 1920, 50}},
        {"taller than the area keeps its top", {345, -28, 1575, 1052}, {345, 0, 1575, 1080}},
        {"wider and taller keeps its corner", {-50, -50, 2050, 1250}, {0, 0, 2100, 1300}},
    };
    for (const Case& c : cases) EXPECT_EQ(FitInside(c.window, kWork), c.fitted) << c.what;
    // A second monitor left of the primary one.
    EXPECT_EQ(FitInside({-100, -10, 300, 290}, {-1280, 0, 0, 1024}), (ScreenBox{-400, 0, 0, 300}));
    EXPECT_EQ(CentreInside(400, 300, kWork, kWork), (ScreenBox{760, 360, 1160, 660}));
    // Centred over an owner at the screen's edge, then kept inside.
    EXPECT_EQ(CentreInside(400, 300, {1800, 900, 1920, 1000}, kWork), (ScreenBox{1520, 720, 1920, 1020}));
}

TEST(ScreenFit, ALargeWindowIsDrawnAtALowerDpiUntilItFits) {
    struct Case {
        int dpi;
        ScreenBox work;
        int fitted;
    };
    const Case cases[] = {
        {96, kWork, 96},                 // fits as it is
        {144, kWork, 136},               // 720 * 1.5 = 1080 > 1020: 1020 * 96 / 720
        {144, {0, 0, 1280, 1024}, 136},  // 1024 * 96 / 720 = 136.5, rounded down
        {144, {0, 0, 3840, 2160}, 144},  // room enough
        {120, {0, 0, 1000, 900}, 117},   // the width decides: 1000 * 96 / 820
        {96, {0, 0, 800, 600}, 96},      // never below 96: the corner is kept instead
    };
    for (const Case& c : cases) EXPECT_EQ(DpiToFit(c.dpi, 820, 720, c.work), c.fitted) << c.dpi;
}

// Sizes must come out as the system's MulDiv gives them, or a window and its parts would disagree.
TEST(ScreenFit, LayoutsScaleToTheScreenDpiRoundedAsMulDiv) {
    struct Case {
        int dpi, px96, px, twips, twipsPx, pixels, pixelTwips;
    };
    const Case cases[] = {
        {96, 80, 80, 570, 38, 250, 3750},
        {120, 2, 3, 570, 48, 7, 84},  // halves go up
        {144, -3, -5, -570, -57, 1, 10},
        {144, 3, 5, 4260, 426, 3, 30},  // and away from zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const Dpi dpi(c.dpi);
        EXPECT_EQ(dpi.Px(c.px96), c.px);
        EXPECT_EQ(dpi.FromTwips(c.twips), c.twipsPx);
        EXPECT_EQ(dpi.ToTwips(c.pixels), c.pixelTwips);
        EXPECT_EQ(dpi.PointsOf(dpi.FontHeight(9)), 9);
    }
    EXPECT_EQ(Dpi(120).FontHeight(9), -15);
    EXPECT_EQ(Dpi(96).TwipsPerPixel(), 15);
    EXPECT_EQ(MulDivRounded(5, 7, 0), -1);
}

}  // namespace
}  // namespace tf
