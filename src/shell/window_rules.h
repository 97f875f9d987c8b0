// Numbers the window helpers and the hint window work with, kept apart from the Win32 calls.
#pragma once

#include <vector>

#include "base/screen_fit.h"

namespace tf {

inline constexpr int kHintWidthTwips = 3750;
inline constexpr int kHintHeightTwips = 570;
inline constexpr int kHintBottomGapTwips = 500;

// Where the hint window goes, and the scaling it is drawn at there.
struct HintPlace {
    ScreenBox box;
    int dpi;
};
// On the monitor that shows the browser (the primary, the first in the list, without one), at that
// monitor's scaling: flush with its right edge, 500 twips above its bottom edge (the gap rounded as
// the window's size is, so the two agree at every scaling), then moved up or left where a taskbar
// would cover it.
HintPlace PlaceHint(const std::vector<MonitorArea>& monitors, const ScreenBox* browser);

}  // namespace tf
