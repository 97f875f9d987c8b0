#include "base/screen_fit.h"

#include <algorithm>

namespace tf {

ScreenBox FitInside(ScreenBox window, ScreenBox work) {
    const int width = window.Width();
    const int height = window.Height();
    const int left = std::max(work.left, std::min(window.left, work.right - width));
    const int top = std::max(work.top, std::min(window.top, work.bottom - height));
    return {left, top, left + width, top + height};
}

ScreenBox CentreInside(int width, int height, ScreenBox over, ScreenBox work) {
    const int left = over.left + (over.Width() - width) / 2;
    const int top = over.top + (over.Height() - height) / 2;
    return FitInside({left, top, left + width, top + height}, work);
}

int DpiToFit(int dpi, int width96, int height96, ScreenBox work) {
    if (width96 <= 0 || height96 <= 0) return dpi;
    // Rounded down, so that the scaled size never exceeds the area; never below 96.
    const long long byWidth = static_cast<long long>(work.Width()) * 96 / width96;
    const long long byHeight = static_cast<long long>(work.Height()) * 96 / height96;
    return static_cast<int>(std::max<long long>(96, std::min<long long>({dpi, byWidth, byHeight})));
}

int ClampAlpha(int alpha) { return std::clamp(alpha, 0, 255); }

}  // namespace tf
