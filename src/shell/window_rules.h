// Numbers the window helpers and the hint window work with, kept apart from the Win32 calls.
#pragma once

namespace tf {

struct ScreenPoint {
    int x, y;
};
// The hint window sits flush with the right edge of the screen, 500 twips above its bottom edge;
// the gap is rounded as the window's size is, so the two agree at every dpi.
ScreenPoint HintWindowPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight, int dpiY);

inline constexpr int kHintWidthTwips = 3750;
inline constexpr int kHintHeightTwips = 570;
inline constexpr int kHintBottomGapTwips = 500;

}  // namespace tf
