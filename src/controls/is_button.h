// The controls subsystem: the program's own controls, isButton and the progress bar, each as
// portable rules here and a Windows window beside them (`*_win.h`).
//
// isButton, the program's own push button, without Windows: its properties and how they are
// stored, the input rules that move it between its looks, the layout and window region of each
// style, and the face of each style as a list of plain drawing steps that the window replays.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/line_unit.h"

namespace tf {

inline constexpr char kIsButtonVersion[] = "3.0";
inline constexpr char kDefaultButtonCaption[] = "isButton";

// Colours are 0x00BBGGRR; an OLE colour with the high bit set names a system colour by index.
using Colour = std::uint32_t;
inline constexpr Colour kSystemColourFlag = 0x80000000u;
enum SystemColourIndex : int {
    kColourWindow = 5,
    kColourHighlight = 13,
    kColourBtnFace = 15,
    kColourBtnShadow = 16,
    kColourGrayText = 17,
    kColourBtnText = 18,
    kColourBtnHighlight = 20,
    kColour3dDkShadow = 21,
    kColour3dLight = 22,
    kColourInfoText = 23,
    kColourInfoBk = 24,
};
inline constexpr int kSystemColourCount = 31;
constexpr Colour SystemColour(int index) { return kSystemColourFlag | static_cast<Colour>(index); }
constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

// The system colours by index, as the window reads them from the system.
struct SystemPalette {
    std::array<Colour, kSystemColourCount> colours{};
    Colour operator[](int index) const;
    // The standard Windows scheme: used by the tests and as the fall-back.
    static SystemPalette Standard();
};

// An OLE colour as red, green and blue; an unknown system index is black.
Colour TranslateColour(Colour ole, const SystemPalette& palette);
// Adds the signed amount to each of red, green and blue, each kept within 0..255.
Colour ShiftColor(Colour colour, int amount);
// The colour `step` of `steps` along a straight line from `from` to `to`, each channel rounded.
Colour BlendColour(Colour from, Colour to, int step, int steps);

enum class VisualState { kNormal = 1, kHot = 2, kPressed = 3, kDisabled = 4, kFocused = 5 };

inline constexpr int kStyleCount = 11;
inline constexpr int kProgramButtonStyle = 8;
inline constexpr int kThemedStyle = 6;

struct IsButtonProperties {
    int style = 0;
    std::string caption;
    // The icon as a resource name of the program ("#101" or a name); empty: none.
    std::string icon;
    int iconAlign = 1;
    int iconSize = 16;  // pixels at 96 dpi; drawn scaled to the button's scaling
    int captionAlign = 0;
    int nonThemeStyle = 5;
    bool enabled = true;
    bool showFocus = false;
    bool useCustomColors = false;
    Colour backColor = SystemColour(kColourBtnFace);
    Colour highlightColor = SystemColour(kColourHighlight);
    Colour fontColor = SystemColour(kColourBtnText);
    Colour fontHighlightColor = SystemColour(kColourBtnText);
    std::string toolTip;
    std::string toolTipTitle;
    int toolTipIcon = 0;
    int toolTipType = 1;
    Colour toolTipBackColor = SystemColour(kColourInfoBk);
    Colour toolTipForeColor = SystemColour(kColourInfoText);
    // "face,points,weight,italic"; empty: the control's current font.
    std::string font;
    int buttonType = 0;
    bool value = false;
    Colour backDrop = 0xFFFFFF;
};

// What a control newly placed on a form starts with: its name as the caption.
IsButtonProperties NewButtonProperties(std::string_view name);

// The properties, each with its stored name, its property-changed notice and whether a change
// lays the control out again (else it only repaints).
enum class ButtonProperty {
    kStyle,
    kCaption,
    kIcon,
    kIconAlign,
    kIconSize,
    kCaptionAlign,
    kNonThemeStyle,
    kEnabled,
    kShowFocus,
    kUseCustomColors,
    kBackColor,
    kHighlightColor,
    kFontColor,
    kFontHighlightColor,
    kToolTip,
    kToolTipTitle,
    kToolTipIcon,
    kToolTipType,
    kToolTipBackColor,
    kToolTipForeColor,
    kFont,
    kButtonType,
    kValue,
    kBackDrop,
};
inline constexpr int kButtonPropertyCount = 24;
struct ButtonPropertyInfo {
    const char* name;
    const char* storedAs;
    const char* notice;
    bool layout;
};
const ButtonPropertyInfo& InfoOf(ButtonProperty property);

// A form's saved properties: names to texts. Booleans are -1 and 0, numbers and colours decimal.
class PropertyBag {
public:
    void Write(std::string_view name, std::string_view value, std::optional<std::string_view> writeDefault);
    void Write(std::string_view name, long value, std::optional<long> writeDefault);
    void WriteBool(std::string_view name, bool value, bool writeDefault);
    void WriteColour(std::string_view name, Colour value, Colour writeDefault);

    std::string Read(std::string_view name, std::string_view readDefault) const;
    long Read(std::string_view name, long readDefault) const;
    bool ReadBool(std::string_view name, bool readDefault) const;
    Colour ReadColour(std::string_view name, Colour readDefault) const;

    bool Has(std::string_view name) const { return values_.contains(std::string(name)); }
    const std::map<std::string, std::string, std::less<>>& Values() const { return values_; }

    // One "Name = value" a line, texts in double quotes with inner quotes doubled.
    std::string Save() const;
    // Lines that cannot be read are skipped.
    static PropertyBag Load(std::string_view text);

private:
    std::map<std::string, std::string, std::less<>> values_;
};

// The tooltip is left out when it is the container's own text for the control.
void WriteButtonProperties(const IsButtonProperties& properties, PropertyBag& bag,
                           std::string_view containerToolTip = "");
// The tooltip and font a bag leaves out are the container's tooltip text for the control and the
// control's current font.
IsButtonProperties ReadButtonProperties(const PropertyBag& bag, std::string_view containerToolTip = "",
                                        std::string_view currentFont = "");
// The design the program's forms give every command button.
PropertyBag ProgramButtonDesign(std::string_view caption);

// What an input asks the window to do.
struct ButtonReaction {
    bool repaint = false;
    bool click = false;
    bool mouseEnter = false;
    bool mouseLeave = false;
    // Ask for a leave notification and build the tooltip.
    bool trackLeave = false;
};

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

// The input rules: mouse, Space key, hover and focus, and the look they leave.
class ButtonBehaviour {
public:
    ButtonReaction MouseDown(int button);
    ButtonReaction MouseUp(int button);
    // The click that follows a mouse-up over the control.
    ButtonReaction Click();
    ButtonReaction DoubleClick();
    ButtonReaction SpaceDown() { return MouseDown(kLeftButton); }
    ButtonReaction SpaceUp() { return MouseUp(kLeftButton); }
    ButtonReaction SpacePress();
    // The first watched mouse move while outside enters; later ones do nothing here.
    ButtonReaction MouseMoveMessage();
    ButtonReaction MouseLeaveMessage();
    ButtonReaction FocusChanged(bool focused);
    // A change of Enabled puts the look back to normal.
    ButtonReaction EnabledChanged();

    // The look a repaint draws.
    VisualState DrawnState(int style, bool enabled, bool userMode = true) const;

    VisualState State() const { return state_; }
    bool Inside() const { return inside_; }
    bool Focused() const { return focused_; }
    int LastReleasedButton() const { return lastReleased_; }

    bool toggle = false;
    bool value = false;

private:
    VisualState state_ = VisualState::kNormal;
    bool focused_ = false;
    bool inside_ = false;
    int lastReleased_ = 0;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};
struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

enum class RegionKind { kRectangle, kPolygon, kRoundRect };
struct RegionShape {
    RegionKind kind = RegionKind::kRectangle;
    int width = 0, height = 0;
    std::vector<Point> points;
    int corner = 0;  // ellipse size of the rounded rectangle
};
// `unit`: the pixels one line of the face is thick at the button's scaling (1 at 96 dpi); the cut
// corners grow with it, so that the region and the drawn outline meet at every scaling.
RegionShape RegionForStyle(int style, int width, int height, int unit = 1);

inline constexpr int kMinimumButtonTwips = 300;
inline constexpr int kTextFlagsBeforeLayout = 17;
// DrawText flags of a CaptionAlign value; an unknown value centres.
int TextFlagsFor(int captionAlign);

struct ButtonLayout {
    int width = 0, height = 0;
    Rect full, inner;
    int textFlags = kTextFlagsBeforeLayout;
    RegionShape region;
};
// Neither side below 300 twips (rounded up to whole pixels).
ButtonLayout LayoutButton(int width, int height, int twipsPerPixelX, int twipsPerPixelY, int style, int captionAlign,
                          int unit = 1);

int IconMargin(int style);
// 0 centred, 1 left, 2 right, 3 top, 4 bottom; an unknown value is left. The margin is in lines of
// the face (`unit`).
Rect IconRect(int iconAlign, int style, int iconSize, int width, int height, int unit = 1);

// One drawing step. Lines exclude their end point, as LineTo does.
struct PaintOp {
    enum Kind { kFill, kLine, kPixel, kEdge, kFrame, kTheme } kind;
    Rect rect;  // fill, edge, frame: the rectangle; line: from (left, top) to (right, bottom); pixel: (left, top)
    Colour colour = 0;
    unsigned edge = 0;   // DrawEdge edge type
    unsigned flags = 0;  // DrawEdge flags
    int themeState = 0;
};
// DrawEdge values, as Windows numbers them.
inline constexpr unsigned kBdrRaisedOuter = 1, kBdrSunkenOuter = 2, kBdrRaisedInner = 4, kBdrSunkenInner = 8;
inline constexpr unsigned kEdgeRaised = 5, kEdgeSunken = 10, kBfRect = 15;

struct FaceRequest {
    int style = 0;
    VisualState state = VisualState::kNormal;
    bool focused = false;
    bool useCustomColors = false;
    bool showFocus = false;
    Colour backColor = 0;  // translated
    Colour highlightColor = 0;
    int width = 0, height = 0;
    // Pixels one line of the face is thick (LineUnit): every bevel, ring and cut corner is that many
    // whole pixels, so the face is drawn sharp at any scaling rather than scaled from 96 dpi.
    int unit = 1;
};

// The face colour: custom BackColor in the normal look (also disabled in Styles 1 and 2), custom
// HighlightColor otherwise, the system button face without custom colours.
Colour FaceColour(const FaceRequest& request, const SystemPalette& palette);
// Style 8's F: the face colour, but the system face lifted by 15 in every look but normal.
Colour Style8Base(const FaceRequest& request, const SystemPalette& palette);
Colour CaptionColour(VisualState state, bool useCustomColors, Colour fontColor, Colour fontHighlightColor,
                     const SystemPalette& palette);
// The background of the control's surface before the face.
Colour SurfaceColour(const FaceRequest& request, const SystemPalette& palette);
std::vector<PaintOp> PaintFace(const FaceRequest& request, const SystemPalette& palette);

// Which of Style 10's skins a look shows.
enum class Skin { kGrey, kBlue, kDarkBlue };
Skin SkinFor(VisualState state, bool focused);

}  // namespace tf
