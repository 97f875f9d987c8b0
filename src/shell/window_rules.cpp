#include "shell/window_rules.h"

#include <algorithm>

namespace tf {
namespace {

constexpr int kTwipsPerInch = 1440;

}  // namespace

int TwipsToPixels(int twips, int dpi) {
    const long long product = static_cast<long long>(twips) * dpi;
    const long long half = product >= 0 ? kTwipsPerInch / 2 : -kTwipsPerInch / 2;
    return static_cast<int>((product + half) / kTwipsPerInch);
}

ScreenPoint HintWindowPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight, int dpiY) {
    return {screenWidth - windowWidth, screenHeight - windowHeight - TwipsToPixels(kHintBottomGapTwips, dpiY)};
}

}  // namespace tf
