#include "base/screen_fit.h"

#include <algorithm>

namespace tf {

namespace {

long long Overlap(ScreenBox a, ScreenBox b) {
    const long long width = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// How far a box lies from an area, as the sum of the gaps across and down (0 when they touch).
long long Distance(ScreenBox box, ScreenBox area) {
    const long long across = std::max({0LL, 0LL + area.left - box.right, 0LL + box.left - area.right});
    const long long down = std::max({0LL, 0LL + area.top - box.bottom, 0LL + box.top - area.bottom});
    return across + down;
}

}  // namespace

std::size_t MonitorOf(const std::vector<MonitorArea>& monitors, ScreenBox box) {
    std::size_t best = 0;
    long long bestOverlap = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const long long overlap = Overlap(box, monitors[i].area);
        if (overlap > bestOverlap) {
            best = i;
            bestOverlap = overlap;
        }
    }
    if (bestOverlap > 0) return best;
    for (std::size_t i = 1; i < monitors.size(); ++i) {
        if (Distance(box, monitors[i].area) < Distance(box, monitors[best].area)) best = i;
    }
    return best;
}

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
