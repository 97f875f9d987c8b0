#include "shell/window_rules.h"

#include <algorithm>
#include <cmath>

namespace tf {

int ClampAlpha(int alpha) { return std::clamp(alpha, 0, 255); }

ScreenPoint HintWindowPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight,
                               int twipsPerPixelY) {
    // Rounded to the nearest pixel, ties to even, as the runtime's conversion to a whole number.
    const int gap = twipsPerPixelY > 0
                        ? static_cast<int>(std::nearbyint(static_cast<double>(kHintBottomGapTwips) / twipsPerPixelY))
                        : 0;
    return {screenWidth - windowWidth, screenHeight - windowHeight - gap};
}

}  // namespace tf
