#include "controls/is_button.h"

#include <algorithm>
#include <cmath>

namespace tf {
namespace {

int Red(Colour c) { return static_cast<int>(c & 0xFF); }
int Green(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }
int Clamp255(int v) { return std::clamp(v, 0, 255); }

}  // namespace

Colour SystemPalette::operator[](int index) const {
    if (index < 0 || index >= kSystemColourCount) return 0;
    return colours[static_cast<std::size_t>(index)];
}

SystemPalette SystemPalette::Standard() {
    SystemPalette p;
    p.colours.fill(Rgb(240, 240, 240));
    p.colours[kColourWindow] = Rgb(255, 255, 255);
    p.colours[8] = 0;  // window text
    p.colours[kColourHighlight] = Rgb(0, 120, 215);
    p.colours[14] = Rgb(255, 255, 255);  // highlight text
    p.colours[kColourBtnFace] = Rgb(240, 240, 240);
    p.colours[kColourBtnShadow] = Rgb(160, 160, 160);
    p.colours[kColourGrayText] = Rgb(109, 109, 109);
    p.colours[kColourBtnText] = 0;
    p.colours[kColourBtnHighlight] = Rgb(255, 255, 255);
    p.colours[kColour3dDkShadow] = Rgb(105, 105, 105);
    p.colours[kColour3dLight] = Rgb(227, 227, 227);
    p.colours[kColourInfoText] = 0;
    p.colours[kColourInfoBk] = Rgb(255, 255, 225);
    return p;
}

Colour TranslateColour(Colour ole, const SystemPalette& palette) {
    if (ole & kSystemColourFlag) return palette[static_cast<int>(ole & 0xFFFF)];
    return ole & 0xFFFFFF;
}

Colour ShiftColor(Colour colour, int amount) {
    return Rgb(Clamp255(Red(colour) + amount), Clamp255(Green(colour) + amount), Clamp255(Blue(colour) + amount));
}

Colour BlendColour(Colour from, Colour to, int step, int steps) {
    if (steps <= 0) return from;
    auto mix = [&](int a, int b) {
        return Clamp255(static_cast<int>(std::lround(a + static_cast<double>(b - a) * step / steps)));
    };
    return Rgb(mix(Red(from), Red(to)), mix(Green(from), Green(to)), mix(Blue(from), Blue(to)));
}

ButtonReaction ButtonBehaviour::MouseDown(int button) {
    if (button != kLeftButton) return {};
    state_ = VisualState::kPressed;
    return {.repaint = true};
}

ButtonReaction ButtonBehaviour::MouseUp(int button) {
    lastReleased_ = button;
    if (button != kLeftButton) return {};
    state_ = toggle && !value ? VisualState::kPressed : VisualState::kHot;
    return {.repaint = true};
}

ButtonReaction ButtonBehaviour::Click() {
    if (lastReleased_ != kLeftButton) return {};
    ButtonReaction r{.click = true};
    if (toggle) {
        value = !value;
        state_ = VisualState::kHot;
        r.repaint = true;
    }
    return r;
}

ButtonReaction ButtonBehaviour::DoubleClick() {
    if (lastReleased_ != kLeftButton) return {};
    return MouseDown(kLeftButton);
}

ButtonReaction ButtonBehaviour::SpacePress() {
    ButtonReaction r{.click = true};
    if (toggle) {
        value = !value;
        r.repaint = true;
    }
    return r;
}

ButtonReaction ButtonBehaviour::MouseMoveMessage() {
    if (inside_) return {};
    inside_ = true;
    state_ = VisualState::kHot;
    return {.repaint = true, .mouseEnter = true, .trackLeave = true};
}

ButtonReaction ButtonBehaviour::MouseLeaveMessage() {
    inside_ = false;
    state_ = VisualState::kNormal;
    return {.repaint = true, .mouseLeave = true};
}

ButtonReaction ButtonBehaviour::FocusChanged(bool focused) {
    focused_ = focused;
    return {.repaint = true};
}

ButtonReaction ButtonBehaviour::EnabledChanged() {
    state_ = VisualState::kNormal;
    return {.repaint = true};
}

VisualState ButtonBehaviour::DrawnState(int style, bool enabled, bool userMode) const {
    VisualState s = state_;
    if (!userMode && style != 5) s = VisualState::kHot;
    if (toggle && value) s = VisualState::kPressed;
    if (!enabled) return VisualState::kDisabled;
    if (s == VisualState::kNormal && focused_ && (style == kThemedStyle || style == 10)) s = VisualState::kFocused;
    return s;
}

RegionShape RegionForStyle(int style, int w, int h, int unit) {
    const int u = std::max(unit, 1);
    RegionShape r;
    r.width = w;
    r.height = h;
    switch (style) {
        case 5:
        case 7:
            r.kind = RegionKind::kPolygon;
            r.points = {{0, 3 * u},     {3 * u, 0},     {w - 3 * u, 0}, {w, 3 * u},
                        {w, h - 3 * u}, {w - 3 * u, h}, {3 * u, h},     {0, h - 3 * u}};
            break;
        case 8:
        case 9:
            r.kind = RegionKind::kPolygon;
            r.points = {{0, 2 * u},     {2 * u, 0},     {w - 3 * u, 0}, {w, 3 * u},
                        {w, h - 3 * u}, {w - 3 * u, h}, {4 * u, h},     {0, h - 4 * u}};
            break;
        case 10:
            r.kind = RegionKind::kRoundRect;
            r.corner = 7 * u;
            break;
        default:
            r.kind = RegionKind::kRectangle;
            break;
    }
    return r;
}

int TextFlagsFor(int captionAlign) {
    switch (captionAlign) {
        case 1:
            return 36;
        case 2:
            return 38;
        case 3:
            return 33;
        case 4:
            return 41;
        default:
            return 37;
    }
}

ButtonLayout LayoutButton(int width, int height, int twipsPerPixelX, int twipsPerPixelY, int style, int captionAlign,
                          int unit) {
    auto minimum = [](int twipsPerPixel) {
        twipsPerPixel = std::max(twipsPerPixel, 1);
        return (kMinimumButtonTwips + twipsPerPixel - 1) / twipsPerPixel;
    };
    ButtonLayout l;
    l.width = std::max(width, minimum(twipsPerPixelX));
    l.height = std::max(height, minimum(twipsPerPixelY));
    l.full = {0, 0, l.width, l.height};
    const int inset = 4 * std::max(unit, 1);
    l.inner = {inset, inset, l.width - inset, l.height - inset};
    l.textFlags = TextFlagsFor(captionAlign);
    l.region = RegionForStyle(style, l.width, l.height, unit);
    return l;
}

int IconMargin(int style) {
    if (style == 5 || style == 7) return 5;
    if (style == 9 || style == 10) return 7;
    return 4;
}

Rect IconRect(int iconAlign, int style, int iconSize, int w, int h, int unit) {
    int m = IconMargin(style) * std::max(unit, 1);
    int cx = (w - iconSize) / 2;
    int cy = (h - iconSize) / 2;
    Point at;
    switch (iconAlign) {
        case 0:
            at = {cx, cy};
            break;
        case 2:
            at = {w - m - iconSize, cy};
            break;
        case 3:
            at = {cx, m};
            break;
        case 4:
            at = {cx, h - m - iconSize};
            break;
        default:
            at = {m, cy};
            break;
    }
    return {at.x, at.y, at.x + iconSize, at.y + iconSize};
}

}  // namespace tf
