#include "controls/is_button.h"

#include <algorithm>

namespace tf {
namespace {

PaintOp Fill(Rect r, Colour c) { return {PaintOp::kFill, r, c}; }
PaintOp Line(int x1, int y1, int x2, int y2, Colour c) { return {PaintOp::kLine, {x1, y1, x2, y2}, c}; }
PaintOp Pixel(int x, int y, Colour c) { return {PaintOp::kPixel, {x, y, x + 1, y + 1}, c}; }
PaintOp Edge(Rect r, unsigned edge) { return {PaintOp::kEdge, r, 0, edge, kBfRect}; }
PaintOp Frame(Rect r, Colour c) { return {PaintOp::kFrame, r, c}; }

// One line per row from `from` to `to`, rows top .. bottom - 1: every row of the screen a step of its
// own, whatever the scaling.
void Gradient(std::vector<PaintOp>& ops, Rect r, Colour from, Colour to) {
    int rows = r.bottom - r.top;
    for (int i = 0; i < rows; ++i) {
        ops.push_back(Line(r.left, r.top + i, r.right, r.top + i, BlendColour(from, to, i, std::max(rows - 1, 1))));
    }
}

// Draws the face's lines `u` whole pixels thick. Places are given as lines counted in from an edge:
// L(n) and T(n) from the left and top, R(n) and B(n) from the right and bottom, so that the face at
// unit 2 is the face at unit 1 with every line doubled. At unit 1 the steps are the plain lines and
// pixels they always were.
struct Ink {
    std::vector<PaintOp>& ops;
    int u, w, h;

    int L(int n) const { return n * u; }
    int T(int n) const { return n * u; }
    int R(int n) const { return w - n * u; }
    int B(int n) const { return h - n * u; }

    // Columns x1 .. x2 - 1 of the line whose top row is y.
    void HLine(int x1, int x2, int y, Colour c) const {
        ops.push_back(u == 1 ? Line(x1, y, x2, y, c) : Fill({x1, y, x2, y + u}, c));
    }
    void VLine(int x, int y1, int y2, Colour c) const {
        ops.push_back(u == 1 ? Line(x, y1, x, y2, c) : Fill({x, y1, x + u, y2}, c));
    }
    void Dot(int x, int y, Colour c) const { ops.push_back(u == 1 ? Pixel(x, y, c) : Fill({x, y, x + u, y + u}, c)); }
    void Outline(Rect r, Colour c) const {
        for (int k = 0; k < u; ++k) ops.push_back(Frame({r.left + k, r.top + k, r.right - k, r.bottom - k}, c));
    }
    // DrawEdge draws each of its bands one pixel wide: one call per pixel of each band, outer first.
    void Bevel(Rect r, unsigned edge) const {
        if (u == 1) {
            ops.push_back(Edge(r, edge));
            return;
        }
        int inset = 0;
        for (unsigned band : {edge & (kBdrRaisedOuter | kBdrSunkenOuter), edge & (kBdrRaisedInner | kBdrSunkenInner)}) {
            if (!band) continue;
            for (int k = 0; k < u; ++k, ++inset) {
                ops.push_back(Edge({r.left + inset, r.top + inset, r.right - inset, r.bottom - inset}, band));
            }
        }
    }
};

// The outline of polygon form B: cuts of 2 at the top left, 3 on the right and 4 at the bottom left.
void OutlineB(const Ink& k, Colour c) {
    k.HLine(k.L(2), k.R(2), 0, c);
    k.VLine(k.R(1), k.T(3), k.B(2), c);
    k.HLine(k.L(4), k.R(2), k.B(1), c);
    k.VLine(0, k.T(2), k.B(3), c);
    k.Dot(k.L(1), k.T(1), c);
    k.Dot(k.R(2), k.T(1), c);
    k.Dot(k.R(2), k.T(2), c);
    k.Dot(k.R(2), k.B(2), c);
    k.Dot(k.R(3), k.B(2), c);
    k.Dot(k.L(1), k.B(3), c);
    k.Dot(k.L(2), k.B(2), c);
    k.Dot(k.L(3), k.B(2), c);
}

// The outline of polygon form A: every corner cut by 3 lines along a rounded curve.
void OutlineA(const Ink& k, Colour c, Colour soft) {
    k.HLine(k.L(3), k.R(3), 0, c);
    k.HLine(k.L(3), k.R(3), k.B(1), c);
    k.VLine(0, k.T(3), k.B(3), c);
    k.VLine(k.R(1), k.T(3), k.B(3), c);
    for (Point p : {Point{k.L(1), k.T(1)}, Point{k.R(2), k.T(1)}, Point{k.L(1), k.B(2)}, Point{k.R(2), k.B(2)}})
        k.Dot(p.x, p.y, c);
    for (Point p : {Point{k.L(2), 0}, Point{0, k.T(2)}, Point{k.R(3), 0}, Point{k.R(1), k.T(2)}, Point{0, k.B(3)},
                    Point{k.L(2), k.B(1)}, Point{k.R(1), k.B(3)}, Point{k.R(3), k.B(1)}}) {
        k.Dot(p.x, p.y, soft);
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
    const Ink k{ops, std::max(r.unit, 1), w, h};
    const Rect inside{k.L(1), k.T(1), k.R(1), k.B(1)};
    ops.push_back(Fill(full, SurfaceColour(r, pal)));
    switch (r.style) {
        case 0:
            ops.push_back(Fill(full, face));
            k.Bevel(full, Pressed(s) ? kEdgeSunken : kEdgeRaised);
            break;
        case 1:
            ops.push_back(Fill(full, face));
            k.Bevel(full, Pressed(s) ? kBdrSunkenOuter : kBdrRaisedInner);
            break;
        case 2:
            ops.push_back(Fill(full, face));
            if (Hot(s)) k.Bevel(full, kBdrRaisedInner);
            if (Pressed(s)) k.Bevel(full, kBdrSunkenOuter);
            if (s == VisualState::kDisabled) k.Outline(full, shadow);
            if (s == VisualState::kNormal || s == VisualState::kFocused) k.Outline(full, face);
            break;
        case 3: {
            const Colour base = r.useCustomColors ? r.backColor : face;
            const Colour lower = BlendColour(face, shadow, 1, 2);
            const int half = h / 2;
            const Rect upper{k.L(1), k.T(1), k.R(1), half};
            const Rect bottom{k.L(1), half, k.R(1), k.B(1)};
            if (Pressed(s)) {
                Gradient(ops, upper, lower, face);
                Gradient(ops, bottom, face, white);
            } else if (Hot(s)) {
                const Colour top = r.useCustomColors ? r.highlightColor : BlendColour(white, highlight, 1, 5);
                Gradient(ops, upper, top, base);
                Gradient(ops, bottom, base, lower);
            } else {
                Gradient(ops, upper, white, face);
                Gradient(ops, bottom, face, lower);
            }
            k.Outline(full, Hot(s) ? BlendColour(shadow, highlight, 1, 2) : Pressed(s) ? dark : shadow);
            break;
        }
        case 4:
            ops.push_back(Fill(full, face));
            if (Hot(s) || Pressed(s)) {
                ops.push_back(Fill(inside, BlendColour(white, highlight, Hot(s) ? 1 : 2, 5)));
                k.Outline(full, highlight);
            }
            break;
        case 5: {
            ops.push_back(Fill(full, face));
            bool hotFrame = Hot(s) || (r.useCustomColors && r.showFocus && r.focused && s == VisualState::kNormal);
            Colour outline = s == VisualState::kDisabled ? shadow : hotFrame ? highlight : dark;
            Colour light = Pressed(s) ? shadow : white;
            Colour deep = Pressed(s) ? white : shadow;
            k.HLine(k.L(3), k.R(3), k.T(1), light);
            k.VLine(k.L(1), k.T(3), k.B(3), light);
            k.HLine(k.L(3), k.R(3), k.B(2), deep);
            k.VLine(k.R(2), k.T(3), k.B(3), deep);
            k.Dot(k.L(2), k.T(2), light);
            k.Dot(k.R(3), k.B(3), deep);
            OutlineA(k, outline, BlendColour(outline, face, 1, 2));
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
                Gradient(ops, inside, BlendColour(face, shadow, 1, 2), white);
            } else {
                Gradient(ops, inside, white, tint);
            }
            Colour outline = s == VisualState::kDisabled ? shadow : Hot(s) ? highlight : dark;
            OutlineA(k, outline, BlendColour(outline, face, 1, 2));
            break;
        }
        case 8: {
            const Colour f = Style8Base(r, pal);
            const bool down = Pressed(s);
            ops.push_back(Fill(full, f));
            Gradient(ops, {k.L(2), k.T(2), k.R(2), k.B(2)}, ShiftColor(f, down ? -15 : 15),
                     ShiftColor(f, down ? 15 : -15));
            // Light lines along the inner top and left edges.
            k.HLine(k.L(2), k.R(2), k.T(1), ShiftColor(f, 96));
            k.VLine(k.L(1), k.T(2), k.B(2), ShiftColor(f, 96));
            // The frame; a pressed button loses its dark outer ring.
            Colour frame = ShiftColor(f, down ? -48 : -96);
            OutlineB(k, frame);
            if (!down) {
                k.HLine(k.L(2), k.R(2), k.B(2), ShiftColor(f, -48));
                k.VLine(k.R(2), k.T(3), k.B(2), ShiftColor(f, -48));
            }
            // Softened corners.
            for (Point p :
                 {Point{k.L(1), k.T(1)}, Point{k.R(2), k.T(1)}, Point{k.L(1), k.B(2)}, Point{k.R(2), k.B(2)}}) {
                k.Dot(p.x, p.y, ShiftColor(f, -48));
            }
            // Two inner rings of light under the top and left lines.
            k.HLine(k.L(2), k.R(3), k.T(2), ShiftColor(f, 21));
            k.VLine(k.L(2), k.T(2), k.B(3), ShiftColor(f, 21));
            k.HLine(k.L(3), k.R(4), k.T(3), ShiftColor(f, 15));
            k.VLine(k.L(3), k.T(3), k.B(4), ShiftColor(f, 15));
            break;
        }
        case 9: {
            const Colour base = Hot(s) ? BlendColour(face, highlight, 1, 5) : face;
            const int half = h / 2;
            const Rect upper{k.L(1), k.T(1), k.R(1), half};
            const Rect bottom{k.L(1), half, k.R(1), k.B(1)};
            if (Pressed(s)) {
                Gradient(ops, upper, BlendColour(face, shadow, 1, 2), face);
                Gradient(ops, bottom, face, white);
            } else {
                Gradient(ops, upper, white, BlendColour(white, base, 1, 2));
                Gradient(ops, bottom, BlendColour(base, shadow, 1, 7), base);
            }
            OutlineB(k, s == VisualState::kDisabled ? shadow : Hot(s) ? highlight : dark);
            break;
        }
        case 10: {
            SkinColours skin = SkinColoursOf(SkinFor(s, r.focused));
            Gradient(ops, inside, skin.top, skin.bottom);
            k.HLine(k.L(2), k.R(2), k.T(1), skin.shine);
            k.Outline(full, skin.border);
            const Colour background = pal[kColourBtnFace];
            // The corners: each pixel a fixed mix of the border into the surface, mirrored at
            // the other corners by coordinates counted from the right and bottom.
            for (int y = 0; y < 4; ++y) {
                for (int x = 0; x < 4; ++x) {
                    int weight = kSkinCorner[y][x];
                    if (weight == 0) continue;  // the body shows
                    Colour c = weight < 0 ? background : BlendColour(skin.corner, skin.border, weight, 8);
                    k.Dot(k.L(x), k.T(y), c);
                    k.Dot(k.R(x + 1), k.T(y), c);
                    k.Dot(k.L(x), k.B(y + 1), c);
                    k.Dot(k.R(x + 1), k.B(y + 1), c);
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
