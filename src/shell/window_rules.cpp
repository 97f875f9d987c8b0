#include "shell/window_rules.h"

#include "base/dpi.h"

namespace tf {

ScreenPoint HintWindowPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight, int dpiY) {
    return {screenWidth - windowWidth, screenHeight - windowHeight - Dpi(dpiY).FromTwips(kHintBottomGapTwips)};
}

}  // namespace tf
