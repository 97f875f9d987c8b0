#include "shell/window_rules.h"

#include "base/dpi.h"

namespace tf {

HintPlace PlaceHint(const std::vector<MonitorArea>& monitors, const ScreenBox* browser) {
    if (monitors.empty()) return {{0, 0, 0, 0}, kLayoutDpi};
    const MonitorArea& on = monitors[browser ? MonitorOf(monitors, *browser) : 0];
    const Dpi dpi(on.dpi);
    const int width = dpi.FromTwips(kHintWidthTwips);
    const int height = dpi.FromTwips(kHintHeightTwips);
    const int left = on.area.right - width;
    const int top = on.area.bottom - height - dpi.FromTwips(kHintBottomGapTwips);
    return {FitInside({left, top, left + width, top + height}, on.work), on.dpi};
}

}  // namespace tf
