#include "controls/progress_bar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tf {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ProgressRange, SetValueKeepsItWithinZeroToMax) {
    struct Case {
        double max, x, stored;
    };
    const Case cases[] = {
        {100, 40, 40},    {100, 12.5, 12.5}, {100, 150, 100}, {100, -1, 0},         {100, kNaN, 0},
        {100, kInf, 100}, {100, -kInf, 0},   {0, 5, 0},       {kInf, 1e300, 1e300}, {100, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "max " << c.max << ", value " << c.x);
        ProgressRange range;
        range.SetMax(c.max);
        range.SetValue(c.x);
        EXPECT_EQ(range.Value(), c.stored);
    }
}

TEST(ProgressRange, LoweringMaxPullsValueDown) {
    ProgressRange range;
    range.SetValue(80);
    range.SetMax(50);
    EXPECT_EQ(range.Max(), 50);
    EXPECT_EQ(range.Value(), 50);
    // Raising it again leaves Value where it was pulled to.
    range.SetMax(200);
    EXPECT_EQ(range.Value(), 50);
}

TEST(ProgressRange, NegativeOrNaNMaxBecomesZeroAndValueStaysNonNegative) {
    for (double m : {-5.0, kNaN, -kInf}) {
        SCOPED_TRACE(m);
        ProgressRange range;
        range.SetValue(30);
        range.SetMax(m);
        EXPECT_EQ(range.Max(), 0);
        EXPECT_EQ(range.Value(), 0);
        EXPECT_EQ(range.FillWidth(65), 65);
    }
}

TEST(ProgressRange, FillWidthIsTheRoundedShareOfTheWidth) {
    struct Case {
        double max, value;
        int width, fill;
    };
    const Case cases[] = {
        {100, 0, 65, 0},       {100, 40, 65, 26},    {100, 100, 65, 65},   {100, 50, 65, 32},  // 32.5: even
        {100, 12.5, 100, 12},  {100, 13.5, 100, 14}, {0, 0, 65, 65},       {1, 1, 3, 3},      {100, 0.4, 100, 0},
        {100, 99.6, 100, 100}, {kInf, 1e308, 65, 0}, {kInf, kInf, 65, 65}, {100, 40, 0, 0},   {100, 40, -3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << "/" << c.max << " of " << c.width);
        ProgressRange range;
        range.SetMax(c.max);
        range.SetValue(c.value);
        EXPECT_EQ(range.FillWidth(c.width), c.fill);
    }
}

TEST(ProgressDesign, SavesOnlyWhatDiffersFromTheDefaults) {
    ProgressRange range;
    EXPECT_EQ(SaveProgressDesign(range), "");
    range.SetValue(12.5);
    EXPECT_EQ(SaveProgressDesign(range), "Value=12.5");
    range.SetMax(80);
    EXPECT_EQ(SaveProgressDesign(range), "Value=12.5;Max=80");
    range.SetValue(0);
    EXPECT_EQ(SaveProgressDesign(range), "Max=80");

    ProgressRange back = LoadProgressDesign("Value=12.5;Max=80");
    EXPECT_EQ(back.Value(), 12.5);
    EXPECT_EQ(back.Max(), 80);
}

TEST(ProgressDesign, LoadKeepsTheRangeRulesAndSkipsWhatItCannotRead) {
    struct Case {
        const char* design;
        double value, max;
    };
    const Case cases[] = {
        {"", 0, 100},
        {"Max=40;Value=30", 30, 40},
        {"Value=150", 100, 100},
        {"Value=150;Max=200", 150, 200},
        {"Value=-1", 0, 100},
        {"Max=-10;Value=5", 0, 0},
        {"Value=abc;Max=50x;Colour=3;Value", 0, 100},
        {"Value=7;;Max=", 7, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.design);
        ProgressRange range = LoadProgressDesign(c.design);
        EXPECT_EQ(range.Value(), c.value);
        EXPECT_EQ(range.Max(), c.max);
    }
}

TEST(ProgressGeometry, CapsAndStretchedMiddleOrUnstretchedSmallFill) {
    using Blits = std::vector<SkinBlit>;
    EXPECT_EQ(TrackBlits(65), (Blits{{0, 2, 0, 2}, {2, 61, 2, 12}, {63, 2, 14, 2}}));
    EXPECT_EQ(TrackBlits(4), (Blits{{0, 2, 0, 2}, {2, 2, 14, 2}}));
    // Narrower than two caps: what fits of each, never a negative (mirrored) middle.
    EXPECT_EQ(TrackBlits(3), (Blits{{0, 2, 0, 2}, {2, 1, 15, 1}}));
    EXPECT_EQ(TrackBlits(1), (Blits{{0, 1, 0, 1}}));
    EXPECT_TRUE(TrackBlits(0).empty());
    // Five pixels: both caps and a one-pixel middle; three: the first three columns, no right cap.
    EXPECT_EQ(FillBlits(5), (Blits{{0, 2, 0, 2}, {2, 1, 2, 12}, {3, 2, 14, 2}}));
    EXPECT_EQ(FillBlits(26), (Blits{{0, 2, 0, 2}, {2, 22, 2, 12}, {24, 2, 14, 2}}));
    EXPECT_EQ(FillBlits(4), (Blits{{0, 4, 0, 4}}));
    EXPECT_EQ(FillBlits(3), (Blits{{0, 3, 0, 3}}));
    EXPECT_TRUE(FillBlits(0).empty());
}

TEST(ProgressGeometry, TrackCoversEveryWidthExactlyFromInsideThePicture) {
    for (int unit : {1, 2, 3}) {
        for (int width = 1; width <= 80; ++width) {
            SCOPED_TRACE(testing::Message() << "width " << width << " unit " << unit);
            int covered = 0;
            for (const SkinBlit& b : TrackBlits(width, unit)) {
                EXPECT_EQ(b.x, covered);  // left to right, no gaps or overlaps
                EXPECT_GT(b.width, 0);
                EXPECT_GE(b.sourceX, 0);
                EXPECT_LE(b.sourceX + b.sourceWidth, kSkinWidth * unit);
                covered += b.width;
            }
            EXPECT_EQ(covered, width);
        }
    }
    // At two pixels a line the caps are four wide, and a fill of up to two caps is not stretched.
    using Blits = std::vector<SkinBlit>;
    EXPECT_EQ(FillBlits(30, 2), (Blits{{0, 4, 0, 4}, {4, 22, 4, 24}, {26, 4, 28, 4}}));
    EXPECT_EQ(FillBlits(8, 2), (Blits{{0, 8, 0, 8}}));
}

// Made at the bar's height, the pictures are never stretched up and down: at 200 % (24 pixels,
// two a line) the frame and ends are the 96-dpi ones doubled, and the gradient has a step a row.
TEST(ProgressSkins, AtTwoPixelsALineAreTheFrameDoubledWithAGradientStepInEveryRow) {
    for (const auto& make : {TrackSkin, FillSkin}) {
        const SkinPicture small = make(kSkinHeight, 1);
        const SkinPicture big = make(2 * kSkinHeight, 2);
        ASSERT_EQ(big.width, 2 * kSkinWidth);
        ASSERT_EQ(big.height, 2 * kSkinHeight);
        for (int y = 0; y < big.height; ++y) {
            for (int x = 0; x < big.width; ++x) {
                const int sx = x / 2, sy = y / 2;
                const bool frameOrEnd = sy == 0 || sy == kSkinHeight - 1 || sx <= 1 || sx >= kSkinWidth - 2;
                if (frameOrEnd && !(sx >= 1 && sx <= kSkinWidth - 2 && sy >= 1 && sy <= kSkinHeight - 2)) {
                    ASSERT_EQ(big.At(x, y), small.At(sx, sy)) << x << "," << y;
                }
            }
        }
    }
    const SkinPicture fill = FillSkin(2 * kSkinHeight, 2);
    for (int y = 4; y < fill.height - 2; ++y) EXPECT_NE(fill.At(8, y), fill.At(8, y - 1)) << y;
}

TEST(ProgressSkins, HaveWhiteCornersTheSameFrameAndGradientsOfTheirOwn) {
    const SkinPicture track = TrackSkin();
    const SkinPicture fill = FillSkin();
    auto brightness = [](std::uint32_t p) { return (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF); };
    auto green = [](std::uint32_t p) { return static_cast<int>(p >> 8 & 0xFF) - static_cast<int>(p >> 16 & 0xFF); };
    for (const SkinPicture* skin : {&track, &fill}) {
        for (auto [x, y] : {std::pair{0, 0}, {15, 0}, {0, 11}, {15, 11}}) EXPECT_EQ(skin->At(x, y), kSkinCornerColour);
        for (int x = 2; x < 14; ++x) {
            EXPECT_EQ(skin->At(x, 0), kSkinFrameColour);
            EXPECT_EQ(skin->At(x, 11), kSkinFrameColour);
        }
        // The middle band is the same in every column, so stretching it shows no seams.
        for (int y = 0; y < kSkinHeight; ++y) {
            for (int x = 3; x < 14; ++x) EXPECT_EQ(skin->At(x, y), skin->At(2, y)) << x << "," << y;
        }
    }
    for (int y = 1; y < 11; ++y) {
        EXPECT_GT(brightness(track.At(8, y)), 3 * 220) << y;  // near white
        EXPECT_GT(green(fill.At(8, y)), 40) << y;             // clearly green
    }
    EXPECT_LT(brightness(track.At(8, 1)), brightness(track.At(8, 10)));
    for (int y = 2; y < 10; ++y) EXPECT_GT(brightness(fill.At(8, y)), brightness(fill.At(8, y + 1))) << y;
}

}  // namespace
}  // namespace tf
