#include "controls/is_button.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tf {
namespace {

TEST(ShiftColor, AddsToEachChannelAndClamps) {
    struct Case {
        Colour in;
        int amount;
        Colour out;
    };
    const Case cases[] = {
        {Rgb(240, 240, 240), 15, Rgb(255, 255, 255)},
        {Rgb(240, 240, 240), -96, Rgb(144, 144, 144)},
        {Rgb(10, 200, 250), 21, Rgb(31, 221, 255)},
        {Rgb(10, 200, 250), -48, Rgb(0, 152, 202)},
        {Rgb(0, 0, 0), -1, Rgb(0, 0, 0)},
        {Rgb(255, 255, 255), 300, Rgb(255, 255, 255)},
        {Rgb(1, 2, 3), 0, Rgb(1, 2, 3)},
        {Rgb(128, 64, 32), -300, Rgb(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.in << " + " << std::dec << c.amount);
        EXPECT_EQ(ShiftColor(c.in, c.amount), c.out);
    }
}

TEST(TranslateColour, SystemColoursComeFromThePalette) {
    SystemPalette palette = SystemPalette::Standard();
    EXPECT_EQ(TranslateColour(SystemColour(kColourBtnFace), palette), palette[kColourBtnFace]);
    EXPECT_EQ(TranslateColour(Rgb(1, 2, 3), palette), Rgb(1, 2, 3));
    // An index the system does not have is black, not a read past the table.
    EXPECT_EQ(TranslateColour(kSystemColourFlag | 0x1234, palette), 0u);
}

TEST(ButtonBehaviour, ToggleClickedTwice) {
    ButtonBehaviour b;
    b.toggle = true;
    b.MouseMoveMessage();
    b.MouseDown(kLeftButton);
    b.MouseUp(kLeftButton);
    ButtonReaction first = b.Click();
    EXPECT_TRUE(first.click);
    EXPECT_TRUE(b.value);
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kPressed);

    b.MouseDown(kLeftButton);
    b.MouseUp(kLeftButton);
    EXPECT_TRUE(b.Click().click);
    EXPECT_FALSE(b.value);
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kHot);
    b.MouseLeaveMessage();
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kNormal);
}

TEST(ButtonBehaviour, RightClickRaisesNoClickAndSpaceStillRaisesOne) {
    ButtonBehaviour b;
    b.MouseDown(kRightButton);
    b.MouseUp(kRightButton);
    EXPECT_FALSE(b.Click().click);
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kNormal);

    // Windows sends the key down, the character, then the key up.
    int clicks = 0;
    for (ButtonReaction r : {b.SpaceDown(), b.SpacePress(), b.SpaceUp()}) clicks += r.click;
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b.LastReleasedButton(), kLeftButton);
}

TEST(ButtonBehaviour, PressedLookOnlyWhileTheLeftButtonIsDown) {
    ButtonBehaviour b;
    b.MouseDown(kLeftButton);
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kPressed);
    b.MouseUp(kLeftButton);
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kHot);
    // A double click presses again, but only after a left button release.
    b.DoubleClick();
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kPressed);
    b.MouseUp(kRightButton);
    b.MouseLeaveMessage();
    b.DoubleClick();
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kNormal);
}

TEST(ButtonBehaviour, DisabledShowsNoPressedLook) {
    ButtonBehaviour b;
    b.MouseDown(kLeftButton);
    EXPECT_EQ(b.DrawnState(8, false), VisualState::kDisabled);
    b.toggle = true;
    b.value = true;
    EXPECT_EQ(b.DrawnState(8, false), VisualState::kDisabled);
}

TEST(ButtonBehaviour, EnterOnceThenLeave) {
    ButtonBehaviour b;
    ButtonReaction enter = b.MouseMoveMessage();
    EXPECT_TRUE(enter.mouseEnter && enter.trackLeave && enter.repaint);
    EXPECT_FALSE(b.MouseMoveMessage().mouseEnter);
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kHot);
    EXPECT_TRUE(b.MouseLeaveMessage().mouseLeave);
    EXPECT_FALSE(b.Inside());
    EXPECT_TRUE(b.MouseMoveMessage().mouseEnter);
}

TEST(ButtonBehaviour, FocusedNormalLookOnlyForThemedAndSkinnedStyles) {
    ButtonBehaviour b;
    b.FocusChanged(true);
    EXPECT_EQ(b.DrawnState(6, true), VisualState::kFocused);
    EXPECT_EQ(b.DrawnState(10, true), VisualState::kFocused);
    EXPECT_EQ(b.DrawnState(8, true), VisualState::kNormal);
    // At design time every style but 5 shows hot.
    EXPECT_EQ(b.DrawnState(8, true, false), VisualState::kHot);
    EXPECT_EQ(b.DrawnState(5, true, false), VisualState::kNormal);
}

TEST(LayoutButton, GrowsToThreeHundredTwips) {
    ButtonLayout l = LayoutButton(10, 10, 15, 15, 8, 0);
    EXPECT_EQ(l.width, 20);
    EXPECT_EQ(l.height, 20);
    // 12 twips a pixel (120 dpi): 25 pixels.
    EXPECT_EQ(LayoutButton(10, 40, 12, 12, 0, 0).width, 25);
    EXPECT_EQ(LayoutButton(10, 40, 12, 12, 0, 0).height, 40);
    // Odd ratios round up, so the minimum is never undercut.
    EXPECT_EQ(LayoutButton(1, 1, 7, 7, 0, 0).width, 43);
    ButtonLayout big = LayoutButton(75, 25, 15, 15, 8, 0);
    EXPECT_EQ(big.full, (Rect{0, 0, 75, 25}));
    EXPECT_EQ(big.inner, (Rect{4, 4, 71, 21}));
}

TEST(LayoutButton, TextFlagsByCaptionAlign) {
    const int expected[] = {37, 36, 38, 33, 41};
    for (int align = 0; align < 5; ++align) EXPECT_EQ(TextFlagsFor(align), expected[align]) << align;
    EXPECT_EQ(TextFlagsFor(9), 37);
}

TEST(RegionForStyle, Style8ButtonHasTheEightCornersOfFormB) {
    RegionShape r = LayoutButton(75, 25, 15, 15, 8, 0).region;
    ASSERT_EQ(r.kind, RegionKind::kPolygon);
    std::vector<Point> expected{{0, 2}, {2, 0}, {72, 0}, {75, 3}, {75, 22}, {72, 25}, {4, 25}, {0, 21}};
    EXPECT_EQ(r.points, expected);
}

TEST(RegionForStyle, ShapeByStyle) {
    const RegionKind kinds[kStyleCount] = {
        RegionKind::kRectangle, RegionKind::kRectangle, RegionKind::kRectangle, RegionKind::kRectangle,
        RegionKind::kRectangle, RegionKind::kPolygon,   RegionKind::kRectangle, RegionKind::kPolygon,
        RegionKind::kPolygon,   RegionKind::kPolygon,   RegionKind::kRoundRect,
    };
    for (int style = 0; style < kStyleCount; ++style) {
        RegionShape r = RegionForStyle(style, 60, 24);
        EXPECT_EQ(r.kind, kinds[style]) << style;
        if (r.kind == RegionKind::kPolygon) {
            EXPECT_EQ(r.points.size(), 8u) << style;
        }
    }
}

TEST(IconRect, PlacedByAlignWithTheStyleMargin) {
    struct Case {
        int align, style;
        Rect rect;
    };
    const Case cases[] = {
        {1, 8, {4, 4, 20, 20}},  {1, 5, {5, 4, 21, 20}},  {1, 10, {7, 4, 23, 20}}, {2, 8, {56, 4, 72, 20}},
        {0, 8, {30, 4, 46, 20}}, {3, 9, {30, 7, 46, 23}}, {4, 0, {30, 0, 46, 16}}, {7, 0, {4, 4, 20, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "align " << c.align << " style " << c.style);
        int height = c.align >= 3 && c.align <= 4 ? 20 : 24;
        EXPECT_EQ(IconRect(c.align, c.style, 16, 76, height), c.rect);
    }
}

TEST(ButtonProperties, EmptyCaptionAndIconAlignZeroReadBackAsTheirReadDefaults) {
    IsButtonProperties p = NewButtonProperties("btnOK");
    p.caption = "";
    p.iconAlign = 0;
    PropertyBag bag;
    WriteButtonProperties(p, bag);
    EXPECT_FALSE(bag.Has("Caption"));
    EXPECT_FALSE(bag.Has("IconAlign"));
    IsButtonProperties back = ReadButtonProperties(PropertyBag::Load(bag.Save()));
    EXPECT_EQ(back.caption, "isButton");
    EXPECT_EQ(back.iconAlign, 1);
}

TEST(ButtonProperties, StoredNamesAndWhatIsLeftOut) {
    IsButtonProperties fresh;
    fresh.style = 3;  // the write default
    PropertyBag bag;
    WriteButtonProperties(fresh, bag);
    // What has no write default is always stored, and IconAlign because its two defaults differ.
    std::vector<std::string> names;
    for (const auto& [name, value] : bag.Values()) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"Font", "IconAlign", "ToolTipIcon", "ToolTipType", "Tooltiptitle"}));
    // The tooltip is stored when it is not the container's text.
    fresh.toolTip = "own";
    WriteButtonProperties(fresh, bag, "from the form");
    EXPECT_EQ(bag.Read("ToolTipText", std::string_view()), "own");
    WriteButtonProperties(fresh, bag, "own");
    EXPECT_FALSE(bag.Has("ToolTipText"));

    IsButtonProperties p;
    p.style = 0;
    p.nonThemeStyle = 0;
    p.useCustomColors = true;
    p.toolTipBackColor = Rgb(1, 2, 3);
    p.value = true;
    PropertyBag changed;
    WriteButtonProperties(p, changed);
    EXPECT_EQ(changed.Read("Style", -9L), 0);
    EXPECT_EQ(changed.Read("iNonThemeStyle", -9L), 0);
    EXPECT_EQ(changed.Read("USeCustomColors", std::string_view()), "-1");
    EXPECT_EQ(changed.ReadColour("ttBackColor", 0), Rgb(1, 2, 3));
    EXPECT_TRUE(changed.ReadBool("Value", false));
}

TEST(ButtonProperties, MissingValuesReadAsTheReadDefaults) {
    IsButtonProperties p = ReadButtonProperties(PropertyBag(), "from the form", "Tahoma,8,400,0");
    EXPECT_EQ(p.style, 3);
    EXPECT_EQ(p.nonThemeStyle, 5);
    EXPECT_EQ(p.toolTipType, 1);
    EXPECT_EQ(p.iconSize, 16);
    EXPECT_EQ(p.toolTip, "from the form");
    EXPECT_EQ(p.font, "Tahoma,8,400,0");
    EXPECT_EQ(p.backColor, SystemColour(kColourBtnFace));
    EXPECT_EQ(p.toolTipBackColor, SystemColour(kColourInfoBk));
    EXPECT_TRUE(p.enabled);
}

TEST(ButtonProperties, ProgramDesignReadsBackAsTheFormsButton) {
    IsButtonProperties p = ReadButtonProperties(ProgramButtonDesign("Cancel"));
    EXPECT_EQ(p.caption, "Cancel");
    EXPECT_EQ(p.style, 8);
    EXPECT_TRUE(p.showFocus);
    EXPECT_EQ(p.iconAlign, 1);
    EXPECT_EQ(p.nonThemeStyle, 0);
}

TEST(PropertyBag, SaveAndLoadKeepAnyText) {
    PropertyBag bag;
    bag.Write("Caption", std::string_view("say \"hi\"\nnext = line"), std::string_view(""));
    bag.Write("Tooltiptitle", std::string_view(""), std::nullopt);
    PropertyBag back = PropertyBag::Load(bag.Save() + "garbage line\nBroken = \"a\"b\"\n");
    EXPECT_EQ(back.Values(), bag.Values());
    // A number that does not read is its default.
    PropertyBag odd = PropertyBag::Load("Style = \"eight\"\n");
    EXPECT_EQ(odd.Read("Style", 3L), 3);
}

TEST(PropertyNotices, UseTheAnnouncedNames) {
    EXPECT_STREQ(InfoOf(ButtonProperty::kToolTip).notice, "ToolTipText");
    EXPECT_STREQ(InfoOf(ButtonProperty::kToolTipTitle).notice, "TooltipTitle");
    EXPECT_STREQ(InfoOf(ButtonProperty::kToolTipIcon).notice, "TooltipIcon");
    EXPECT_STREQ(InfoOf(ButtonProperty::kUseCustomColors).storedAs, "USeCustomColors");
    EXPECT_TRUE(InfoOf(ButtonProperty::kBackDrop).layout);
    EXPECT_FALSE(InfoOf(ButtonProperty::kBackColor).layout);
}

// The colour of the pixel a face leaves at (x, y), replaying its steps as GDI would.
Colour PixelOf(const std::vector<PaintOp>& ops, int x, int y) {
    Colour c = 0xFFFFFFFF;
    for (const PaintOp& op : ops) {
        const Rect& r = op.rect;
        switch (op.kind) {
            case PaintOp::kFill:
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) c = op.colour;
                break;
            case PaintOp::kPixel:
                if (x == r.left && y == r.top) c = op.colour;
                break;
            case PaintOp::kFrame:
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom &&
                    (x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1)) {
                    c = op.colour;
                }
                break;
            case PaintOp::kLine:
                if (r.top == r.bottom && y == r.top && x >= r.left && x < r.right) c = op.colour;
                if (r.left == r.right && x == r.left && y >= r.top && y < r.bottom) c = op.colour;
                break;
            default:
                break;
        }
    }
    return c;
}

TEST(PaintFace, Style8FollowsTheFaceColour) {
    SystemPalette pal = SystemPalette::Standard();
    FaceRequest r{.style = 8, .width = 75, .height = 25};
    r.useCustomColors = true;
    r.backColor = Rgb(100, 150, 200);
    r.highlightColor = Rgb(120, 170, 220);
    std::vector<PaintOp> normal = PaintFace(r, pal);
    const Colour f = r.backColor;
    EXPECT_EQ(PixelOf(normal, 10, 0), ShiftColor(f, -96));   // outer frame
    EXPECT_EQ(PixelOf(normal, 10, 1), ShiftColor(f, 96));    // light line
    EXPECT_EQ(PixelOf(normal, 10, 23), ShiftColor(f, -48));  // inner frame at the bottom
    EXPECT_EQ(PixelOf(normal, 1, 1), ShiftColor(f, -48));    // softened corner
    EXPECT_EQ(PixelOf(normal, 10, 2), ShiftColor(f, 21));    // first ring
    EXPECT_EQ(PixelOf(normal, 10, 3), ShiftColor(f, 15));    // second ring
    EXPECT_EQ(PixelOf(normal, 40, 22), ShiftColor(f, -15));  // gradient's last row
    EXPECT_EQ(PixelOf(normal, 40, 12), BlendColour(ShiftColor(f, 15), ShiftColor(f, -15), 10, 20));

    r.state = VisualState::kPressed;
    std::vector<PaintOp> pressed = PaintFace(r, pal);
    const Colour h = r.highlightColor;
    EXPECT_EQ(PixelOf(pressed, 10, 0), ShiftColor(h, -48));  // only the softer frame
    EXPECT_EQ(PixelOf(pressed, 40, 22), ShiftColor(h, 15));  // the gradient turned over

    // Without custom colours the hot face is the system face lifted by 15.
    r.useCustomColors = false;
    r.state = VisualState::kHot;
    EXPECT_EQ(Style8Base(r, pal), ShiftColor(pal[kColourBtnFace], 15));
    r.state = VisualState::kNormal;
    EXPECT_EQ(Style8Base(r, pal), pal[kColourBtnFace]);
}

TEST(PaintFace, EveryStyleStaysInsideTheButton) {
    SystemPalette pal = SystemPalette::Standard();
    for (int style = 0; style < kStyleCount; ++style) {
        for (int state = 1; state <= 5; ++state) {
            FaceRequest r{.style = style, .state = static_cast<VisualState>(state), .width = 20, .height = 20};
            for (const PaintOp& op : PaintFace(r, pal)) {
                SCOPED_TRACE(testing::Message() << "style " << style << " state " << state);
                EXPECT_GE(std::min(op.rect.left, op.rect.right), 0);
                EXPECT_GE(std::min(op.rect.top, op.rect.bottom), 0);
                EXPECT_LE(std::max(op.rect.left, op.rect.right), 20);
                EXPECT_LE(std::max(op.rect.top, op.rect.bottom), 20);
            }
        }
    }
}

// At two pixels a line the face is the one-pixel face with every line doubled, drawn rather than
// stretched: each pixel of the outer lines, where the bevels, rings and cut corners are, matches
// the one-pixel face's at half the place. Gradients have a row each of their own, so are left out.
TEST(PaintFace, TwoPixelLinesDrawTheFaceDoubled) {
    SystemPalette pal = SystemPalette::Standard();
    const int w = 40, h = 24;
    for (int style : {2, 3, 4, 5, 7, 8, 9, 10}) {
        for (int state = 1; state <= 5; ++state) {
            SCOPED_TRACE(testing::Message() << "style " << style << " state " << state);
            FaceRequest one{.style = style, .state = static_cast<VisualState>(state), .width = w, .height = h};
            FaceRequest two = one;
            two.width = 2 * w;
            two.height = 2 * h;
            two.unit = 2;
            const std::vector<PaintOp> small = PaintFace(one, pal);
            const std::vector<PaintOp> big = PaintFace(two, pal);
            // Styles 2, 4 and 5 have no gradient; the others' starts one or two lines in.
            const int edge = style == 5 || style == 4 || style == 2 ? w : style == 8 ? 2 : 1;
            for (int y = 0; y < 2 * h; ++y) {
                for (int x = 0; x < 2 * w; ++x) {
                    const int sx = x / 2, sy = y / 2;
                    if (std::min({sx, sy, w - 1 - sx, h - 1 - sy}) >= edge) continue;
                    ASSERT_EQ(PixelOf(big, x, y), PixelOf(small, sx, sy)) << x << "," << y;
                }
            }
        }
    }
    // The region's cut corners and the caption's inset grow with the lines too.
    ButtonLayout l = LayoutButton(150, 50, 7, 7, 8, 0, 2);
    EXPECT_EQ(l.region.points,
              (std::vector<Point>{{0, 4}, {4, 0}, {144, 0}, {150, 6}, {150, 44}, {144, 50}, {8, 50}, {0, 42}}));
    EXPECT_EQ(l.inner, (Rect{8, 8, 142, 42}));
    EXPECT_EQ(RegionForStyle(10, 60, 40, 2).corner, 14);
    EXPECT_EQ(IconRect(2, 10, 32, 100, 48, 2), (Rect{54, 8, 86, 40}));
}

// DrawEdge draws each band one pixel wide: at two pixels a line a bevel is each band twice, inwards.
TEST(PaintFace, TwoPixelBevelsDrawEachBandTwice) {
    SystemPalette pal = SystemPalette::Standard();
    FaceRequest r{.style = 0, .state = VisualState::kPressed, .width = 40, .height = 20, .unit = 2};
    std::vector<std::pair<Rect, unsigned>> edges;
    for (const PaintOp& op : PaintFace(r, pal)) {
        if (op.kind == PaintOp::kEdge) edges.emplace_back(op.rect, op.edge);
    }
    const std::vector<std::pair<Rect, unsigned>> expected{{{0, 0, 40, 20}, kBdrSunkenOuter},
                                                          {{1, 1, 39, 19}, kBdrSunkenOuter},
                                                          {{2, 2, 38, 18}, kBdrSunkenInner},
                                                          {{3, 3, 37, 17}, kBdrSunkenInner}};
    EXPECT_EQ(edges, expected);
    EXPECT_EQ(LineUnit(96), 1);
    EXPECT_EQ(LineUnit(120), 1);
    EXPECT_EQ(LineUnit(144), 2);
    EXPECT_EQ(LineUnit(192), 2);
}

TEST(CaptionColour, ByStateAndCustomColours) {
    SystemPalette pal = SystemPalette::Standard();
    const Colour font = Rgb(1, 1, 1), hot = Rgb(2, 2, 2);
    EXPECT_EQ(CaptionColour(VisualState::kNormal, true, font, hot, pal), font);
    EXPECT_EQ(CaptionColour(VisualState::kHot, true, font, hot, pal), hot);
    EXPECT_EQ(CaptionColour(VisualState::kDisabled, true, font, hot, pal), pal[kColourGrayText]);
    EXPECT_EQ(CaptionColour(VisualState::kPressed, false, font, hot, pal), pal[kColourBtnText]);
}

TEST(SkinFor, ByStateAndFocus) {
    EXPECT_EQ(SkinFor(VisualState::kNormal, false), Skin::kGrey);
    EXPECT_EQ(SkinFor(VisualState::kDisabled, true), Skin::kBlue);
    EXPECT_EQ(SkinFor(VisualState::kFocused, false), Skin::kBlue);
    EXPECT_EQ(SkinFor(VisualState::kHot, false), Skin::kBlue);
    EXPECT_EQ(SkinFor(VisualState::kPressed, true), Skin::kDarkBlue);
}

}  // namespace
}  // namespace tf
