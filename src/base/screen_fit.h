// Where a window goes on the screen: inside the work area of its monitor (the screen less the
// taskbar), so that its title band can always be reached and dragged.
#pragma once

#include <cstddef>
#include <vector>

namespace tf {

struct ScreenBox {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const ScreenBox&) const = default;
};

// One monitor: all of it, its work area, and the scaling the user chose for it.
struct MonitorArea {
    ScreenBox area;
    ScreenBox work;
    int dpi;
};

// The monitor a window shows on, as Windows picks it: the one the box overlaps most, else the one
// nearest to it. An index into the list; 0 for an empty list.
std::size_t MonitorOf(const std::vector<MonitorArea>& monitors, ScreenBox box);

// The window moved as little as it takes to lie inside the work area; one larger than the area
// keeps its top-left corner, and with it the title band, inside it.
ScreenBox FitInside(ScreenBox window, ScreenBox work);

// A box of this size centred over another (the owner, or the work area itself), then fitted.
ScreenBox CentreInside(int width, int height, ScreenBox over, ScreenBox work);

// The dpi a window laid out at 96 dpi is drawn at: the screen's, or less when the window (with
// its frame) would not fit the work area, so that a large window shrinks as a whole.
int DpiToFit(int dpi, int width96, int height96, ScreenBox work);

// Layered-window opacity is a byte: anything outside is clamped.
int ClampAlpha(int alpha);

}  // namespace tf
