#include "shell/window_rules.h"

#include <algorithm>

#include "base/dpi.h"

namespace tf {

int ClampAlpha(int alpha) { return std::clamp(alpha, 0, 255); }

ScreenPoint HintWindowPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight, int dpiY) {
    return {screenWidth - windowWidth, screenHeight - windowHeight - Dpi(dpiY).FromTwips(kHintBottomGapTwips)};
}

}  // namespace tf
