#include "shell/window_rules.h"

#include <gtest/gtest.h>

#include <climits>

namespace tf {
namespace {

TEST(WindowRules, AlphaIsClampedToAByte) {
    const std::pair<int, int> cases[] = {{-5, 0},    {INT_MIN, 0}, {0, 0},        {128, 128},
                                         {255, 255}, {300, 255},   {INT_MAX, 255}};
    for (const auto& [alpha, clamped] : cases) EXPECT_EQ(ClampAlpha(alpha), clamped) << alpha;
}

TEST(WindowRules, HintWindowSitsBottomRightAboveTheGap) {
    struct Case {
        int twipsPerPixel, y;
    };
    // 1920 x 1080 screen, 250 x 38 window: 500 twips are 33.3, 41.7, 50 and 62.5 pixels.
    const Case cases[] = {{15, 1009}, {12, 1000}, {10, 992}, {8, 980}, {0, 1042}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.twipsPerPixel);
        const ScreenPoint p = HintWindowPosition(1920, 1080, 250, 38, c.twipsPerPixel);
        EXPECT_EQ(p.x, 1670);
        EXPECT_EQ(p.y, c.y);
    }
}

}  // namespace
}  // namespace tf
