#include "controls/is_button.h"

#include <algorithm>

namespace tf {
namespace {

PaintOp Fill(Rect r, Colour c) { return {PaintOp::kFill, r, c}; }
PaintOp Line(int x1, int y1, int x2, int y2, Colour c) { return {PaintOp::kLine, {x1, y1, x2, y2}, c}; }
PaintOp Pixel(int x, int y, Colour c) { return {PaintOp::kPixel, {x, y, x + 1, y + 1}, c}; }
PaintOp Edge(Rect r, unsigned edge) { return {PaintOp::kEdge, r, 0, edge, kBfRect}; }
PaintOp Frame(Rect r, Colour c) { return {PaintOp::kFrame, r, c}; }

// One line per row from `from` to `to`, rows top .. bottom - 1.
void Gradient(std::vector<PaintOp>& ops, Rect r, Colour from, Colour to) {
    int rows = r.bottom - r.top;
    for (int i = 0; i < rows; ++i) {
        ops.push_back(Line(r.left, r.top + i, r.right, r.top + i, BlendColour(from, to, i, std::max(rows - 1, 1))));
    }
}

// The outline of polygon form B: cuts of 2 at the top left, 3 on the right and 4 at the bottom left.
void OutlineB(std::vector<PaintOp>& ops, int w, int h, Colour c) {
    ops.push_back(Line(2, 0, w - 2, 0, c));
    ops.push_back(Line(w - 1, 3, w - 1, h - 2, c));
    ops.push_back(Line(4, h - 1, w - 2, h - 1, c));
    ops.push_back(Line(0, 2, 0, h - 3, c));
    ops.push_back(Pixel(1, 1, c));
    ops.push_back(Pixel(w - 2, 1, c));
    ops.push_back(Pixel(w - 2, 2, c));
    ops.push_back(Pixel(w - 2, h - 2, c));
    ops.push_back(Pixel(w - 3, h - 2, c));
    ops.push_back(Pixel(1, h - 3, c));
    ops.push_back(Pixel(2, h - 2, c));
    ops.push_back(Pixel(3, h - 2, c));
}

// The outline of polygon form A: every corner cut by 3 pixels along a rounded curve.
void OutlineA(std::vector<PaintOp>& ops, int w, int h, Colour c, Colour soft) {
    ops.push_back(Line(3, 0, w - 3, 0, c));
    ops.push_back(Line(3, h - 1, w - 3, h - 1, c));
    ops.push_back(Line(0, 3, 0, h - 3, c));
    ops.push_back(Line(w - 1, 3, w - 1, h - 3, c));
    for (Point p : {Point{1, 1}, Point{w - 2, 1}, Point{1, h - 2}, Point{w - 2, h - 2}})
        ops.push_back(Pixel(p.x, p.y, c));
    for (Point p : {Point{2, 0}, Point{0, 2}, Point{w - 3, 0}, Point{w - 1, 2}, Point{0, h - 3}, Point{2, h - 1},
                    Point{w - 1, h - 3}, Point{w - 3, h - 1}}) {
        ops.push_back(Pixel(p.x, p.y, soft));
    }
}

bool Pressed(VisualState s) { return s == VisualState::kPressed; }
bool Hot(VisualState s) { return s == VisualState::kHot; }

struct SkinColours {
    Colour border, top, bottom, shine, corner;
};
SkinColours SkinColoursOf(Skin skin) {
    switch (skin) {
        case Skin::kBlue:
            return {Rgb(60, 127, 177), Rgb(236, 247, 253), Rgb(184, 226, 250), Rgb(255, 255, 255), Rgb(150, 190, 220)};
        case Skin::kDarkBlue:
            return {Rgb(44, 98, 139), Rgb(190, 226, 245), Rgb(140, 200, 236), Rgb(160, 205, 230), Rgb(130, 165, 195)};
        case Skin::kGrey:
            break;
    }
    return {Rgb(112, 112, 112), Rgb(250, 250, 250), Rgb(218, 218, 218), Rgb(255, 255, 255), Rgb(180, 180, 180)};
}

// The corner of a skin, counted from its outermost pixel: how far each pixel is border (8ths).
// -1 is outside the curve (the surface shows), 0 the body.
constexpr int kSkinCorner[4][4] = {{-1, -1, 4, 8}, {-1, 7, 3, 0}, {4, 3, 0, 0}, {8, 0, 0, 0}};

}  // namespace

Colour FaceColour(const FaceRequest& r, const SystemPalette& palette) {
    if (!r.useCustomColors) return palette[kColourBtnFace];
    bool back =
        r.state == VisualState::kNormal || (r.state == VisualState::kDisabled && (r.style == 1 || r.style == 2));
    return back ? r.backColor : r.highlightColor;
}

Colour Style8Base(const FaceRequest& r, const SystemPalette& palette) {
    if (r.state == VisualState::kNormal) return r.useCustomColors ? r.backColor : palette[kColourBtnFace];
    return r.useCustomColors ? r.highlightColor : ShiftColor(palette[kColourBtnFace], 15);
}

Colour CaptionColour(VisualState state, bool useCustomColors, Colour fontColor, Colour fontHighlightColor,
                     const SystemPalette& palette) {
    if (state == VisualState::kDisabled) return palette[kColourGrayText];
    if (!useCustomColors) return palette[kColourBtnText];
    return state == VisualState::kNormal ? fontColor : fontHighlightColor;
}

Colour SurfaceColour(const FaceRequest& r, const SystemPalette& palette) {
    if (r.state == VisualState::kDisabled) return palette[kColourBtnFace];
    if (r.style == 8) return Style8Base(r, palette);
    return FaceColour(r, palette);
}

Skin SkinFor(VisualState state, bool focused) {
    switch (state) {
        case VisualState::kPressed:
            return Skin::kDarkBlue;
        case VisualState::kHot:
        case VisualState::kFocused:
            return Skin::kBlue;
        default:
            return focused ? Skin::kBlue : Skin::kGrey;
    }
}

std::vector<PaintOp> PaintFace(const FaceRequest& r, const SystemPalette& pal) {
    const int w = r.width;
    const int h = r.height;
    const Rect full{0, 0, w, h};
    const VisualState s = r.state;
    const Colour face = FaceColour(r, pal);
    const Colour white = pal[kColourBtnHighlight];
    const Colour shadow = pal[kColourBtnShadow];
    const Colour dark = pal[kColour3dDkShadow];
    const Colour highlight = r.useCustomColors ? r.highlightColor : pal[kColourHighlight];
    std::vector<PaintOp> ops;
    ops.push_back(Fill(full, SurfaceColour(r, pal)));
    switch (r.style) {
        case 0:
            ops.push_back(Fill(full, face));
            ops.push_back(Edge(full, Pressed(s) ? kEdgeSunken : kEdgeRaised));
            break;
        case 1:
            ops.push_back(Fill(full, face));
            ops.push_back(Edge(full, Pressed(s) ? kBdrSunkenOuter : kBdrRaisedInner));
            break;
        case 2:
            ops.push_back(Fill(full, face));
            if (Hot(s)) ops.push_back(Edge(full, kBdrRaisedInner));
            if (Pressed(s)) ops.push_back(Edge(full, kBdrSunkenOuter));
            if (s == VisualState::kDisabled) ops.push_back(Frame(full, shadow));
            if (s == VisualState::kNormal || s == VisualState::kFocused) ops.push_back(Frame(full, face));
            break;
        case 3: {
            const Colour base = r.useCustomColors ? r.backColor : face;
            const Colour lower = BlendColour(face, shadow, 1, 2);
            const int half = h / 2;
            if (Pressed(s)) {
                Gradient(ops, {1, 1, w - 1, half}, lower, face);
                Gradient(ops, {1, half, w - 1, h - 1}, face, white);
            } else if (Hot(s)) {
                const Colour top = r.useCustomColors ? r.highlightColor : BlendColour(white, highlight, 1, 5);
                Gradient(ops, {1, 1, w - 1, half}, top, base);
                Gradient(ops, {1, half, w - 1, h - 1}, base, lower);
            } else {
                Gradient(ops, {1, 1, w - 1, half}, white, face);
                Gradient(ops, {1, half, w - 1, h - 1}, face, lower);
            }
            ops.push_back(Frame(full, Hot(s) ? BlendColour(shadow, highlight, 1, 2) : Pressed(s) ? dark : shadow));
            break;
        }
        case 4:
            ops.push_back(Fill(full, face));
            if (Hot(s) || Pressed(s)) {
                ops.push_back(Fill({1, 1, w - 1, h - 1}, BlendColour(white, highlight, Hot(s) ? 1 : 2, 5)));
                ops.push_back(Frame(full, highlight));
            }
            break;
        case 5: {
            ops.push_back(Fill(full, face));
            bool hotFrame = Hot(s) || (r.useCustomColors && r.showFocus && r.focused && s == VisualState::kNormal);
            Colour outline = s == VisualState::kDisabled ? shadow : hotFrame ? highlight : dark;
            Colour light = Pressed(s) ? shadow : white;
            Colour deep = Pressed(s) ? white : shadow;
            ops.push_back(Line(3, 1, w - 3, 1, light));
            ops.push_back(Line(1, 3, 1, h - 3, light));
            ops.push_back(Line(3, h - 2, w - 3, h - 2, deep));
            ops.push_back(Line(w - 2, 3, w - 2, h - 3, deep));
            ops.push_back(Pixel(2, 2, light));
            ops.push_back(Pixel(w - 3, h - 3, deep));
            OutlineA(ops, w, h, outline, BlendColour(outline, face, 1, 2));
            break;
        }
        case kThemedStyle: {
            PaintOp theme{PaintOp::kTheme, full};
            theme.themeState = static_cast<int>(s);
            ops.push_back(theme);
            break;
        }
        case 7: {
            Colour tint = Hot(s) ? BlendColour(face, highlight, 1, 6) : face;
            if (Pressed(s)) {
                Gradient(ops, {1, 1, w - 1, h - 1}, BlendColour(face, shadow, 1, 2), white);
            } else {
                Gradient(ops, {1, 1, w - 1, h - 1}, white, tint);
            }
            Colour outline = s == VisualState::kDisabled ? shadow : Hot(s) ? highlight : dark;
            OutlineA(ops, w, h, outline, BlendColour(outline, face, 1, 2));
            break;
        }
        case 8: {
            const Colour f = Style8Base(r, pal);
            const bool down = Pressed(s);
            ops.push_back(Fill(full, f));
            Gradient(ops, {2, 2, w - 2, h - 2}, ShiftColor(f, down ? -15 : 15), ShiftColor(f, down ? 15 : -15));
            // Light lines along the inner top and left edges.
            ops.push_back(Line(2, 1, w - 2, 1, ShiftColor(f, 96)));
            ops.push_back(Line(1, 2, 1, h - 2, ShiftColor(f, 96)));
            // The frame; a pressed button loses its dark outer ring.
            Colour frame = ShiftColor(f, down ? -48 : -96);
            OutlineB(ops, w, h, frame);
            if (!down) {
                ops.push_back(Line(2, h - 2, w - 2, h - 2, ShiftColor(f, -48)));
                ops.push_back(Line(w - 2, 3, w - 2, h - 2, ShiftColor(f, -48)));
            }
            // Softened corners.
            for (Point p : {Point{1, 1}, Point{w - 2, 1}, Point{1, h - 2}, Point{w - 2, h - 2}}) {
                ops.push_back(Pixel(p.x, p.y, ShiftColor(f, -48)));
            }
            // Two inner rings of light under the top and left lines.
            ops.push_back(Line(2, 2, w - 3, 2, ShiftColor(f, 21)));
            ops.push_back(Line(2, 2, 2, h - 3, ShiftColor(f, 21)));
            ops.push_back(Line(3, 3, w - 4, 3, ShiftColor(f, 15)));
            ops.push_back(Line(3, 3, 3, h - 4, ShiftColor(f, 15)));
            break;
        }
        case 9: {
            const Colour base = Hot(s) ? BlendColour(face, highlight, 1, 5) : face;
            const int half = h / 2;
            if (Pressed(s)) {
                Gradient(ops, {1, 1, w - 1, half}, BlendColour(face, shadow, 1, 2), face);
                Gradient(ops, {1, half, w - 1, h - 1}, face, white);
            } else {
                Gradient(ops, {1, 1, w - 1, half}, white, BlendColour(white, base, 1, 2));
                Gradient(ops, {1, half, w - 1, h - 1}, BlendColour(base, shadow, 1, 7), base);
            }
            OutlineB(ops, w, h, s == VisualState::kDisabled ? shadow : Hot(s) ? highlight : dark);
            break;
        }
        case 10: {
            SkinColours k = SkinColoursOf(SkinFor(s, r.focused));
            Gradient(ops, {1, 1, w - 1, h - 1}, k.top, k.bottom);
            ops.push_back(Line(2, 1, w - 2, 1, k.shine));
            ops.push_back(Frame(full, k.border));
            const Colour background = pal[kColourBtnFace];
            // The corners: each pixel a fixed mix of the border into the surface, mirrored at
            // the other corners by coordinates counted from the right and bottom.
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 4; ++x) {
                    int weight = kSkinCorner[y][x];
                    if (weight == 0) continue;  // the body shows
                    Colour c = weight < 0 ? background : BlendColour(k.corner, k.border, weight, 8);
                    ops.push_back(Pixel(x, y, c));
                    ops.push_back(Pixel(w - 1 - x, y, c));
                    ops.push_back(Pixel(x, h - 1 - y, c));
                    ops.push_back(Pixel(w - 1 - x, h - 1 - y, c));
                }
            }
            break;
        }
        default:
            ops.push_back(Fill(full, face));
            break;
    }
    return ops;
}

}  // namespace tf
