#include "shell/window_rules.h"

#include "base/dpi.h"
#include "base/screen_fit.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace tf {
namespace {

TEST(WindowRules, AlphaIsClampedToAByte) {
    const std::pair<int, int> cases[] = {{-5, 0},    {INT_MIN, 0}, {0, 0},        {128, 128},
                                         {255, 255}, {300, 255},   {INT_MAX, 255}};
    for (const auto& [alpha, clamped] : cases) EXPECT_EQ(ClampAlpha(alpha), clamped) << alpha;
}

TEST(WindowRules, HintWindowSitsBottomRightOfTheBrowsersMonitorAtItsScaling) {
    // A 1920 x 1080 screen alone: 570 and 500 twips are 38 and 33.3 pixels at 96 dpi, 47.5 and 41.7
    // at 120, 66.5 and 58.3 at 168 (a whole twips-per-pixel count would make the last gap 62).
    const struct {
        int dpi;
        ScreenBox box;
    } alone[] = {{96, {1670, 1009, 1920, 1047}},
                 {120, {1607, 990, 1920, 1038}},
                 {144, {1545, 973, 1920, 1030}},
                 {168, {1482, 955, 1920, 1022}},
                 {192, {1420, 937, 1920, 1013}}};
    for (const auto& c : alone) {
        const ScreenBox screen{0, 0, 1920, 1080};
        EXPECT_EQ(PlaceHint({{screen, screen, c.dpi}}, nullptr).box, c.box) << c.dpi;
    }

    // The primary monitor (first) at 150 % with a 40-pixel taskbar; a 100 % one to its left, and a
    // 200 % one above it whose taskbar stands at its right edge.
    const std::vector<MonitorArea> monitors{{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 144},
                                            {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, 96},
                                            {{0, -1440, 2560, 0}, {0, -1440, 2460, 0}, 192}};
    const struct {
        const char* what;
        std::optional<ScreenBox> browser;
        ScreenBox box;
        int dpi;
    } cases[] = {
        {"no browser: the primary", std::nullopt, {1545, 973, 1920, 1030}, 144},
        {"on the left monitor", ScreenBox{-1200, 100, -200, 900}, {-250, 953, 0, 991}, 96},
        {"straddling, mostly on the primary", ScreenBox{-300, 0, 1000, 800}, {1545, 973, 1920, 1030}, 144},
        {"straddling, mostly on the left", ScreenBox{-1000, 0, 200, 800}, {-250, 953, 0, 991}, 96},
        {"above, kept off its taskbar", ScreenBox{100, -1000, 1000, -100}, {1960, -143, 2460, -67}, 192},
        {"beside every monitor: the nearest", ScreenBox{2000, 100, 2400, 500}, {1545, 973, 1920, 1030}, 144},
    };
    for (const auto& c : cases) {
        const HintPlace place = PlaceHint(monitors, c.browser ? &*c.browser : nullptr);
        EXPECT_EQ(place.box, c.box) << c.what;
        EXPECT_EQ(place.dpi, c.dpi) << c.what;
    }
}

}  // namespace
}  // namespace tf
