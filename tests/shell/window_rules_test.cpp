#include "shell/window_rules.h"

#include "base/dpi.h"
#include "base/screen_fit.h"

#include <gtest/gtest.h>

#include <climits>

namespace tf {
namespace {

TEST(WindowRules, AlphaIsClampedToAByte) {
    const std::pair<int, int> cases[] = {{-5, 0},    {INT_MIN, 0}, {0, 0},        {128, 128},
                                         {255, 255}, {300, 255},   {INT_MAX, 255}};
    for (const auto& [alpha, clamped] : cases) EXPECT_EQ(ClampAlpha(alpha), clamped) << alpha;
}

TEST(WindowRules, HintWindowSitsBottomRightAboveTheGapRoundedLikeItsSize) {
    struct Case {
        int dpi, height, y;
    };
    // 1920 x 1080 screen: 570 and 500 twips are 38 and 33.3 pixels at 96 dpi, 47.5 and 41.7 at
    // 120, 66.5 and 58.3 at 168 (a whole twips-per-pixel count would make the last gap 62).
    const Case cases[] = {{96, 38, 1009}, {120, 48, 990}, {144, 57, 973}, {168, 67, 955}, {192, 76, 937}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(Dpi(c.dpi).FromTwips(kHintHeightTwips), c.height);
        const ScreenPoint p = HintWindowPosition(1920, 1080, 250, c.height, c.dpi);
        EXPECT_EQ(p.x, 1670);
        EXPECT_EQ(p.y, c.y);
    }
}

}  // namespace
}  // namespace tf
