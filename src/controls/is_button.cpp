#include "controls/is_button.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tf {
namespace {

int Red(Colour c) { return static_cast<int>(c & 0xFF); }
int Green(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }
int Clamp255(int v) { return std::clamp(v, 0, 255); }

constexpr ButtonPropertyInfo kInfo[kButtonPropertyCount] = {
    {"Style", "Style", "Style", true},
    {"Caption", "Caption", "Caption", true},
    {"Icon", "Icon", "Icon", true},
    {"IconAlign", "IconAlign", "IconAlign", true},
    {"IconSize", "IconSize", "IconSize", true},
    {"CaptionAlign", "CaptionAlign", "CaptionAlign", true},
    {"NonThemeStyle", "iNonThemeStyle", "NonThemeStyle", true},
    {"Enabled", "Enabled", "Enabled", false},
    {"ShowFocus", "ShowFocus", "ShowFocus", false},
    {"UseCustomColors", "USeCustomColors", "UseCustomColors", false},
    {"BackColor", "BackColor", "BackColor", false},
    {"HighlightColor", "HighlightColor", "HighlightColor", false},
    {"FontColor", "FontColor", "FontColor", false},
    {"FontHighlightColor", "FontHighlightColor", "FontHighlightColor", false},
    {"ToolTip", "ToolTipText", "ToolTipText", false},
    {"ToolTipTitle", "Tooltiptitle", "TooltipTitle", false},
    {"ToolTipIcon", "ToolTipIcon", "TooltipIcon", false},
    {"ToolTipType", "ToolTipType", "ToolTipType", false},
    {"ToolTipBackColor", "ttBackColor", "ToolTipBackColor", false},
    {"ToolTipForeColor", "ttForeColor", "ToolTipForeColor", false},
    {"Font", "Font", "Font", false},
    {"ButtonType", "ButtonType", "ButtonType", false},
    {"value", "Value", "value", false},
    {"BackDrop", "BackDrop", "BackDrop", true},
};

const char* Stored(ButtonProperty p) { return InfoOf(p).storedAs; }

std::optional<long> ParseLong(std::string_view text) {
    long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

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

IsButtonProperties NewButtonProperties(std::string_view name) {
    IsButtonProperties p;
    p.caption = std::string(name);
    return p;
}

const ButtonPropertyInfo& InfoOf(ButtonProperty property) { return kInfo[static_cast<int>(property)]; }

void PropertyBag::Write(std::string_view name, std::string_view value, std::optional<std::string_view> writeDefault) {
    if (writeDefault && value == *writeDefault) {
        values_.erase(std::string(name));
        return;
    }
    values_[std::string(name)] = std::string(value);
}

void PropertyBag::Write(std::string_view name, long value, std::optional<long> writeDefault) {
    if (writeDefault && value == *writeDefault) {
        values_.erase(std::string(name));
        return;
    }
    values_[std::string(name)] = std::to_string(value);
}

void PropertyBag::WriteBool(std::string_view name, bool value, bool writeDefault) {
    Write(name, value ? -1L : 0L, writeDefault ? -1L : 0L);
}

void PropertyBag::WriteColour(std::string_view name, Colour value, Colour writeDefault) {
    if (value == writeDefault) {
        values_.erase(std::string(name));
        return;
    }
    values_[std::string(name)] = std::to_string(value);
}

std::string PropertyBag::Read(std::string_view name, std::string_view readDefault) const {
    auto it = values_.find(name);
    return it == values_.end() ? std::string(readDefault) : it->second;
}

long PropertyBag::Read(std::string_view name, long readDefault) const {
    auto it = values_.find(name);
    if (it == values_.end()) return readDefault;
    return ParseLong(it->second).value_or(readDefault);
}

bool PropertyBag::ReadBool(std::string_view name, bool readDefault) const {
    auto it = values_.find(name);
    if (it == values_.end()) return readDefault;
    auto number = ParseLong(it->second);
    if (number) return *number != 0;
    if (it->second == "True") return true;
    if (it->second == "False") return false;
    return readDefault;
}

Colour PropertyBag::ReadColour(std::string_view name, Colour readDefault) const {
    auto it = values_.find(name);
    if (it == values_.end()) return readDefault;
    std::uint32_t value = 0;
    const std::string& text = it->second;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return readDefault;
    return value;
}

std::string PropertyBag::Save() const {
    std::string out;
    for (const auto& [name, value] : values_) {
        out += name;
        out += " = \"";
        for (char c : value) {
            if (c == '"') out += '"';
            if (c == '\n') {
                out += "\"\"n";  // a line break inside a text: "" followed by n
                continue;
            }
            out += c;
        }
        out += "\"\n";
    }
    return out;
}

PropertyBag PropertyBag::Load(std::string_view text) {
    PropertyBag bag;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view name = Trim(line.substr(0, eq));
        std::string_view raw = Trim(line.substr(eq + 1));
        if (name.empty() || raw.size() < 2 || raw.front() != '"' || raw.back() != '"') continue;
        raw = raw.substr(1, raw.size() - 2);
        std::string value;
        bool ok = true;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '"') {
                value += raw[i];
                continue;
            }
            if (i + 1 < raw.size() && raw[i + 1] == '"') {
                if (i + 2 < raw.size() && raw[i + 2] == 'n') {
                    value += '\n';
                    i += 2;
                } else {
                    value += '"';
                    ++i;
                }
                continue;
            }
            ok = false;  // a lone quote: the line is damaged
            break;
        }
        if (ok) bag.values_[std::string(name)] = value;
    }
    return bag;
}

void WriteButtonProperties(const IsButtonProperties& p, PropertyBag& bag, std::string_view containerToolTip) {
    using P = ButtonProperty;
    const IsButtonProperties d;  // the read and write defaults that match the fresh values
    bag.Write(Stored(P::kStyle), p.style, 3L);
    bag.Write(Stored(P::kCaption), p.caption, std::string_view(""));
    bag.Write(Stored(P::kIcon), p.icon, std::string_view(""));
    bag.Write(Stored(P::kIconAlign), p.iconAlign, 0L);
    bag.Write(Stored(P::kIconSize), p.iconSize, 16L);
    bag.Write(Stored(P::kCaptionAlign), p.captionAlign, 0L);
    bag.Write(Stored(P::kNonThemeStyle), p.nonThemeStyle, 5L);
    bag.WriteBool(Stored(P::kEnabled), p.enabled, true);
    bag.WriteBool(Stored(P::kShowFocus), p.showFocus, false);
    bag.WriteBool(Stored(P::kUseCustomColors), p.useCustomColors, false);
    bag.WriteColour(Stored(P::kBackColor), p.backColor, d.backColor);
    bag.WriteColour(Stored(P::kHighlightColor), p.highlightColor, d.highlightColor);
    bag.WriteColour(Stored(P::kFontColor), p.fontColor, d.fontColor);
    bag.WriteColour(Stored(P::kFontHighlightColor), p.fontHighlightColor, d.fontHighlightColor);
    bag.Write(Stored(P::kToolTip), p.toolTip, containerToolTip);
    bag.Write(Stored(P::kToolTipTitle), p.toolTipTitle, std::nullopt);
    bag.Write(Stored(P::kToolTipIcon), p.toolTipIcon, std::nullopt);
    bag.Write(Stored(P::kToolTipType), p.toolTipType, std::nullopt);
    bag.WriteColour(Stored(P::kToolTipBackColor), p.toolTipBackColor, d.toolTipBackColor);
    bag.WriteColour(Stored(P::kToolTipForeColor), p.toolTipForeColor, d.toolTipForeColor);
    bag.Write(Stored(P::kFont), p.font, std::nullopt);
    bag.Write(Stored(P::kButtonType), p.buttonType, 0L);
    bag.WriteBool(Stored(P::kValue), p.value, false);
    bag.WriteColour(Stored(P::kBackDrop), p.backDrop, 0xFFFFFF);
}

IsButtonProperties ReadButtonProperties(const PropertyBag& bag, std::string_view containerToolTip,
                                        std::string_view currentFont) {
    using P = ButtonProperty;
    const IsButtonProperties d;
    IsButtonProperties p;
    p.style = static_cast<int>(bag.Read(Stored(P::kStyle), 3L));
    p.caption = bag.Read(Stored(P::kCaption), std::string_view(kDefaultButtonCaption));
    p.icon = bag.Read(Stored(P::kIcon), std::string_view(""));
    p.iconAlign = static_cast<int>(bag.Read(Stored(P::kIconAlign), 1L));
    p.iconSize = static_cast<int>(static_cast<std::int16_t>(bag.Read(Stored(P::kIconSize), 16L)));
    p.captionAlign = static_cast<int>(bag.Read(Stored(P::kCaptionAlign), 0L));
    p.nonThemeStyle = static_cast<int>(bag.Read(Stored(P::kNonThemeStyle), 5L));
    p.enabled = bag.ReadBool(Stored(P::kEnabled), true);
    p.showFocus = bag.ReadBool(Stored(P::kShowFocus), false);
    p.useCustomColors = bag.ReadBool(Stored(P::kUseCustomColors), false);
    p.backColor = bag.ReadColour(Stored(P::kBackColor), d.backColor);
    p.highlightColor = bag.ReadColour(Stored(P::kHighlightColor), d.highlightColor);
    p.fontColor = bag.ReadColour(Stored(P::kFontColor), d.fontColor);
    p.fontHighlightColor = bag.ReadColour(Stored(P::kFontHighlightColor), d.fontHighlightColor);
    p.toolTip = bag.Read(Stored(P::kToolTip), containerToolTip);
    p.toolTipTitle = bag.Read(Stored(P::kToolTipTitle), std::string_view(""));
    p.toolTipIcon = static_cast<int>(bag.Read(Stored(P::kToolTipIcon), 0L));
    p.toolTipType = static_cast<int>(bag.Read(Stored(P::kToolTipType), 1L));
    p.toolTipBackColor = bag.ReadColour(Stored(P::kToolTipBackColor), d.toolTipBackColor);
    p.toolTipForeColor = bag.ReadColour(Stored(P::kToolTipForeColor), d.toolTipForeColor);
    p.font = bag.Read(Stored(P::kFont), currentFont);
    p.buttonType = static_cast<int>(bag.Read(Stored(P::kButtonType), 0L));
    p.value = bag.ReadBool(Stored(P::kValue), false);
    p.backDrop = bag.ReadColour(Stored(P::kBackDrop), 0xFFFFFF);
    return p;
}

PropertyBag ProgramButtonDesign(std::string_view caption) {
    IsButtonProperties p;
    p.caption = std::string(caption);
    p.style = kProgramButtonStyle;
    p.showFocus = true;
    p.iconAlign = 1;
    p.nonThemeStyle = 0;
    PropertyBag bag;
    WriteButtonProperties(p, bag);
    return bag;
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

RegionShape RegionForStyle(int style, int w, int h) {
    RegionShape r;
    r.width = w;
    r.height = h;
    switch (style) {
        case 5:
        case 7:
            r.kind = RegionKind::kPolygon;
            r.points = {{0, 3}, {3, 0}, {w - 3, 0}, {w, 3}, {w, h - 3}, {w - 3, h}, {3, h}, {0, h - 3}};
            break;
        case 8:
        case 9:
            r.kind = RegionKind::kPolygon;
            r.points = {{0, 2}, {2, 0}, {w - 3, 0}, {w, 3}, {w, h - 3}, {w - 3, h}, {4, h}, {0, h - 4}};
            break;
        case 10:
            r.kind = RegionKind::kRoundRect;
            r.corner = 7;
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

ButtonLayout LayoutButton(int width, int height, int twipsPerPixelX, int twipsPerPixelY, int style, int captionAlign) {
    auto minimum = [](int twipsPerPixel) {
        twipsPerPixel = std::max(twipsPerPixel, 1);
        return (kMinimumButtonTwips + twipsPerPixel - 1) / twipsPerPixel;
    };
    ButtonLayout l;
    l.width = std::max(width, minimum(twipsPerPixelX));
    l.height = std::max(height, minimum(twipsPerPixelY));
    l.full = {0, 0, l.width, l.height};
    l.inner = {4, 4, l.width - 4, l.height - 4};
    l.textFlags = TextFlagsFor(captionAlign);
    l.region = RegionForStyle(style, l.width, l.height);
    return l;
}

int IconMargin(int style) {
    if (style == 5 || style == 7) return 5;
    if (style == 9 || style == 10) return 7;
    return 4;
}

Rect IconRect(int iconAlign, int style, int iconSize, int w, int h) {
    int m = IconMargin(style);
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
