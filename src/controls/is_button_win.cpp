#include "controls/is_button_win.h"

#include "base/dialog_scaling_win.h"

#include "base/controls_win.h"
#include "base/dpi_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstdio>
#include <vector>

namespace tf {
namespace {

// What CreateWindowEx passes: the object (null: the window makes and owns one) and its design.
struct CreateParams {
    IsButton* object;
    const PropertyBag* design;
};

SystemPalette ReadSystemPalette() {
    SystemPalette p;
    for (int i = 0; i < kSystemColourCount; ++i) p.colours[static_cast<std::size_t>(i)] = GetSysColor(i);
    return p;
}

std::int16_t ButtonsOf(WPARAM keys) {
    std::int16_t button = 0;
    if (keys & MK_LBUTTON) button |= 1;
    if (keys & MK_RBUTTON) button |= 2;
    if (keys & MK_MBUTTON) button |= 4;
    return button;
}

// The font as its properties keep it: in points, which stay the same at every scaling.
std::string DescribeFont(HFONT font, Dpi dpi) {
    LOGFONTW lf{};
    if (!font || !GetObjectW(font, sizeof(lf), &lf)) return "";
    int points = dpi.PointsOf(lf.lfHeight);
    return Narrow(lf.lfFaceName) + "," + std::to_string(points) + "," + std::to_string(lf.lfWeight) + "," +
           (lf.lfItalic ? "1" : "0");
}

}  // namespace

IsButton* IsButton::ObjectOf(void* param) {
    const auto* params = static_cast<const CreateParams*>(param);
    return params ? params->object : nullptr;
}

IsButton::~IsButton() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool IsButton::Register() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    // Double clicks arrive as such, for the pressed look they give.
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = OwnerWindowProc<IsButton>;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpszClassName = kIsButtonClass;
    return RegisterClassExW(&cls) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool IsButton::Create(HWND parent, int id, int x, int y, int width, int height, const PropertyBag& design, DWORD style,
                      HFONT font) {
    if (hwnd_ || !Register()) return false;
    CreateParams params{this, &design};
    std::wstring caption = Widen(design.Read("Caption", std::string_view(kDefaultButtonCaption)));
    CreateChild(parent, 0, kIsButtonClass, caption.c_str(), style, id, x, y, width, height, nullptr, &params);
    if (hwnd_ && font) SetFont(font);
    return hwnd_ != nullptr;
}

HWND CreateProgramButton(HWND parent, const wchar_t* caption, DWORD style, int id, int x, int y, int width, int height,
                         HFONT font) {
    if (!IsButton::Register()) return nullptr;
    PropertyBag design = ProgramButtonDesign(Narrow(caption));
    CreateParams params{nullptr, &design};
    return CreateChild(parent, 0, kIsButtonClass, caption, style, id, x, y, width, height, font, &params);
}

void PlaceProgramButton(bool first, HWND parent, const wchar_t* caption, DWORD style, int id, int x, int y, int width,
                        int height, HFONT font) {
    if (first) {
        CreateProgramButton(parent, caption, style, id, x, y, width, height, font);
    } else {
        MoveChild(GetDlgItem(parent, id), x, y, width, height, font);
    }
}

IsButton* IsButtonOf(HWND window) {
    wchar_t cls[32] = {};
    if (!window || !GetClassNameW(window, cls, 32) || std::wstring_view(cls) != kIsButtonClass) return nullptr;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId()) return nullptr;
    return reinterpret_cast<IsButton*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void IsButton::ReadProperties(const PropertyBag& design) {
    props_ = ReadButtonProperties(design, "", DescribeFont(font_, DpiOf(hwnd_)));
    behaviour_.toggle = props_.buttonType == 1;
    behaviour_.value = props_.value;
    LoadIconFromProperties();
    LoadFontFromProperties();
    if (!props_.enabled) EnableWindow(hwnd_, FALSE);
    SetUpHoverTracking();
}

void IsButton::LoadIconFromProperties() {
    if (props_.icon.empty() || props_.iconSize <= 0) return;
    std::wstring name = Widen(props_.icon);
    const wchar_t* resource = name.c_str();
    if (name.size() > 1 && name[0] == L'#') resource = MAKEINTRESOURCEW(_wtoi(name.c_str() + 1));
    // Loaded at the size it is drawn, so that it is the icon's own picture for that size, not a stretch.
    const int size = IconPixels();
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), resource, IMAGE_ICON, size, size, 0));
    if (!icon && ownIcon_) return;  // keeps the one it has
    ownIcon_.Reset(icon);
    icon_ = ownIcon_.Get();
}

int IsButton::IconPixels() const { return Dpi(DpiOf(hwnd_)).Px(props_.iconSize); }

void IsButton::LoadFontFromProperties() {
    const Dpi dpi = DpiOf(hwnd_);
    if (props_.font.empty() || props_.font == DescribeFont(font_, dpi)) return;
    wchar_t face[LF_FACESIZE] = {};
    int points = 8, weight = FW_NORMAL, italic = 0;
    std::wstring text = Widen(props_.font);
    if (swscanf(text.c_str(), L"%31l[^,],%d,%d,%d", face, &points, &weight, &italic) < 2) return;
    HFONT font = CreateFontW(dpi.FontHeight(points), 0, 0, 0, weight, italic != 0, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
    if (!font) return;
    ownFont_.Reset(font);
    font_ = font;
}

void IsButton::SetUpHoverTracking() {
    trackMouse_ = nullptr;
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        trackMouse_ =
            reinterpret_cast<TrackMouseEventFn>(reinterpret_cast<void*>(GetProcAddress(user32, "TrackMouseEvent")));
    }
    if (trackMouse_) return;
    // Older systems have it only in the common controls.
    HMODULE loaded = GetModuleHandleW(L"comctl32.dll");
    HMODULE comctl = loaded ? loaded : LoadLibraryW(L"comctl32.dll");
    if (comctl && GetProcAddress(comctl, "_TrackMouseEvent")) {
        trackMouse_ =
            reinterpret_cast<TrackMouseEventFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "_TrackMouseEvent")));
        return;  // kept loaded: the entry point is used from now on
    }
    if (comctl && !loaded) FreeLibrary(comctl);
}

PropertyBag IsButton::WriteProperties() const {
    IsButtonProperties p = props_;
    p.font = DescribeFont(font_, DpiOf(hwnd_));
    p.value = behaviour_.value;
    PropertyBag bag;
    WriteButtonProperties(p, bag);
    return bag;
}

void IsButton::Changed(ButtonProperty property) {
    if (PropertyChanged) PropertyChanged(InfoOf(property).notice);
    if (!hwnd_) return;
    if (InfoOf(property).layout) {
        Layout();
    } else {
        Refresh();
    }
}

void IsButton::SetStyle(int style) {
    props_.style = style;
    Changed(ButtonProperty::kStyle);
}
void IsButton::SetCaption(const std::string& caption) {
    props_.caption = caption;
    if (hwnd_) SetWindowTextW(hwnd_, Widen(caption).c_str());
    Changed(ButtonProperty::kCaption);
}
void IsButton::SetIcon(HICON icon) {
    ownIcon_.Reset();
    icon_ = icon;
    Changed(ButtonProperty::kIcon);
}
void IsButton::SetIconAlign(int align) {
    props_.iconAlign = align;
    Changed(ButtonProperty::kIconAlign);
}
void IsButton::SetIconSize(int size) {
    props_.iconSize = size;
    Changed(ButtonProperty::kIconSize);
}
void IsButton::SetCaptionAlign(int align) {
    props_.captionAlign = align;
    Changed(ButtonProperty::kCaptionAlign);
}
void IsButton::SetNonThemeStyle(int style) {
    props_.nonThemeStyle = style;
    Changed(ButtonProperty::kNonThemeStyle);
}
void IsButton::SetEnabled(bool enabled) {
    props_.enabled = enabled;
    behaviour_.EnabledChanged();
    // A disabled window gets no mouse or key input at all.
    if (hwnd_) EnableWindow(hwnd_, enabled);
    Changed(ButtonProperty::kEnabled);
}
void IsButton::SetShowFocus(bool show) {
    props_.showFocus = show;
    Changed(ButtonProperty::kShowFocus);
}
void IsButton::SetUseCustomColors(bool use) {
    props_.useCustomColors = use;
    Changed(ButtonProperty::kUseCustomColors);
}
void IsButton::SetBackColor(Colour colour) {
    props_.backColor = colour;
    Changed(ButtonProperty::kBackColor);
}
void IsButton::SetHighlightColor(Colour colour) {
    props_.highlightColor = colour;
    Changed(ButtonProperty::kHighlightColor);
}
void IsButton::SetFontColor(Colour colour) {
    props_.fontColor = colour;
    Changed(ButtonProperty::kFontColor);
}
void IsButton::SetFontHighlightColor(Colour colour) {
    props_.fontHighlightColor = colour;
    Changed(ButtonProperty::kFontHighlightColor);
}
void IsButton::SetToolTip(const std::string& text) {
    props_.toolTip = text;
    Changed(ButtonProperty::kToolTip);
}
void IsButton::SetToolTipTitle(const std::string& title) {
    props_.toolTipTitle = title;
    Changed(ButtonProperty::kToolTipTitle);
}
void IsButton::SetToolTipIcon(int icon) {
    props_.toolTipIcon = icon;
    Changed(ButtonProperty::kToolTipIcon);
}
void IsButton::SetToolTipType(int type) {
    props_.toolTipType = type;
    Changed(ButtonProperty::kToolTipType);
}
void IsButton::SetToolTipBackColor(Colour colour) {
    props_.toolTipBackColor = colour;
    Changed(ButtonProperty::kToolTipBackColor);
}
void IsButton::SetToolTipForeColor(Colour colour) {
    props_.toolTipForeColor = colour;
    Changed(ButtonProperty::kToolTipForeColor);
}
void IsButton::SetFont(HFONT font) {
    font_ = font;
    props_.font = DescribeFont(font, DpiOf(hwnd_));
    Changed(ButtonProperty::kFont);
}
void IsButton::SetButtonType(int type) {
    props_.buttonType = type;
    behaviour_.toggle = type == 1;
    Changed(ButtonProperty::kButtonType);
}
void IsButton::SetValue(bool value) {
    props_.value = behaviour_.value = value;
    Changed(ButtonProperty::kValue);
}
void IsButton::SetBackDrop(Colour colour) {
    props_.backDrop = colour;
    Changed(ButtonProperty::kBackDrop);
}

VisualState IsButton::DrawnState() const {
    return look_ ? *look_ : behaviour_.DrawnState(props_.style, props_.enabled);
}

void IsButton::ShowLook(std::optional<VisualState> look) {
    look_ = look;
    Refresh();
}

void IsButton::Refresh() {
    if (!hwnd_) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

void IsButton::Layout() {
    if (!hwnd_ || inLayout_) return;
    inLayout_ = true;
    RECT client;
    GetClientRect(hwnd_, &client);
    const Dpi dpi = DpiOf(hwnd_);
    layout_ = LayoutButton(client.right, client.bottom, dpi.TwipsPerPixel(), dpi.TwipsPerPixel(), props_.style,
                           props_.captionAlign, LineUnit(dpi.Value()));
    if (layout_.width != client.right || layout_.height != client.bottom) {
        SetWindowPos(hwnd_, nullptr, 0, 0, layout_.width, layout_.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const RegionShape& shape = layout_.region;
    HRGN region = nullptr;
    if (shape.kind == RegionKind::kPolygon) {
        std::vector<POINT> points;
        for (Point p : shape.points) points.push_back({p.x, p.y});
        region = CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE);
    } else if (shape.kind == RegionKind::kRoundRect) {
        region = CreateRoundRectRgn(0, 0, shape.width + 1, shape.height + 1, shape.corner, shape.corner);
    } else {
        region = CreateRectRgn(0, 0, shape.width, shape.height);
    }
    // The window owns the region from here and deletes the one it had.
    if (!SetWindowRgn(hwnd_, region, TRUE)) DeleteObject(region);
    FitToolTip();
    inLayout_ = false;
    Refresh();
}

void IsButton::TakeDpi() {
    // The font keeps its points: a parent that gave a font for the new scaling already has it
    // described so; one made for the old scaling is made again, as the properties describe it.
    LoadFontFromProperties();
    // Only an icon of its own: one the form gave is the form's to remake.
    if (ownIcon_ && icon_ == ownIcon_.Get()) LoadIconFromProperties();
    if (toolTip_) ToolTipFont();
    Layout();
}

void IsButton::React(const ButtonReaction& r) {
    if (r.trackLeave && trackMouse_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
        trackMouse_(&track);
    }
    if (r.repaint) Refresh();
    if (r.mouseEnter) {
        if (MouseEnter) MouseEnter();
        BuildToolTip();
    }
    if (r.mouseLeave && MouseLeave) MouseLeave();
    if (r.click) RaiseClick();
}

void IsButton::RaiseClick() {
    HWND hwnd = hwnd_;
    if (Click) Click();
    if (!IsWindow(hwnd)) return;
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

LRESULT IsButton::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE: {
            const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            const auto* params = static_cast<const CreateParams*>(create->lpCreateParams);
            palette_ = ReadSystemPalette();
            if (params && params->design) {
                ReadProperties(*params->design);
            } else {
                // Created by class name alone: a newly placed control named by its window text.
                props_ = NewButtonProperties(Narrow(create->lpszName ? create->lpszName : L""));
                SetUpHoverTracking();
            }
            SetWindowTextW(hwnd_, Widen(props_.caption).c_str());
            Layout();
            return 0;
        }
        case WM_SIZE:
            Layout();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SHOWWINDOW:
            if (wParam) {
                TakeContainerToolTip();
            } else {
                GiveBackContainerToolTip();
            }
            break;
        case WM_PAINT: {
            // A window created visible is never told it was shown: its first paint stands for it.
            if (!shownOnce_) {
                shownOnce_ = true;
                TakeContainerToolTip();
            }
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            bool restyled = Paint(dc);
            EndPaint(hwnd_, &ps);
            // The fall-back style's region and face at once, not a blank face until the next repaint.
            if (restyled) Layout();
            return 0;
        }
        case WM_SETTEXT: {
            LRESULT result = DefWindowProcW(hwnd_, msg, wParam, lParam);
            std::string text = Narrow(lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"");
            if (text != props_.caption) {
                props_.caption = text;
                Changed(ButtonProperty::kCaption);
            }
            return result;
        }
        case WM_SETFONT:
            // Read at the scaling the parent made the font for, which it records before it sends it.
            font_ = reinterpret_cast<HFONT>(wParam);
            props_.font = DescribeFont(font_, DpiOf(hwnd_));
            if (LOWORD(lParam)) Refresh();
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_ENABLE:
            props_.enabled = wParam != 0;
            behaviour_.EnabledChanged();
            Refresh();
            return 0;
        case WM_GETDLGCODE:
            return DLGC_BUTTON |
                   ((GetWindowLongW(hwnd_, GWL_STYLE) & BS_DEFPUSHBUTTON) ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        case BM_SETSTYLE: {
            // The dialog manager moves the default look between push buttons.
            LONG style = GetWindowLongW(hwnd_, GWL_STYLE) & ~static_cast<LONG>(BS_DEFPUSHBUTTON);
            SetWindowLongW(hwnd_, GWL_STYLE, style | static_cast<LONG>(wParam & BS_DEFPUSHBUTTON));
            if (LOWORD(lParam)) Refresh();
            return 0;
        }
        case BM_CLICK:
            if (!IsWindowEnabled(hwnd_)) return 0;
            behaviour_.MouseDown(kLeftButton);
            behaviour_.MouseUp(kLeftButton);
            React(behaviour_.Click());
            return 0;
        case BM_GETCHECK:
        case kIbmGetValue:
            return behaviour_.value ? BST_CHECKED : BST_UNCHECKED;
        case kIbmGetDrawnState:
            return static_cast<LRESULT>(lastDrawn_);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (GetWindowLongW(hwnd_, GWL_STYLE) & WS_TABSTOP) SetFocus(hwnd_);
            SetCapture(hwnd_);
            React(msg == WM_LBUTTONDOWN ? behaviour_.MouseDown(kLeftButton) : behaviour_.DoubleClick());
            return 0;
        case WM_RBUTTONDOWN:
            React(behaviour_.MouseDown(kRightButton));
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            int button = msg == WM_LBUTTONUP ? kLeftButton : msg == WM_RBUTTONUP ? kRightButton : 4;
            bool captured = GetCapture() == hwnd_;
            if (captured) ReleaseCapture();
            React(behaviour_.MouseUp(button));
            RECT client;
            GetClientRect(hwnd_, &client);
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            // A click is a release over the control; the rules decide which buttons count.
            if (PtInRect(&client, at) && (captured || button != kLeftButton)) React(behaviour_.Click());
            return 0;
        }
        case WM_MOUSEMOVE: {
            if (trackMouse_) React(behaviour_.MouseMoveMessage());
            if (MouseMove) {
                ButtonMouse m{ButtonsOf(wParam), ShiftState(), static_cast<float>(GET_X_LPARAM(lParam)),
                              static_cast<float>(GET_Y_LPARAM(lParam))};
                MouseMove(m);
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            if (trackMouse_) React(behaviour_.MouseLeaveMessage());
            return 0;
        case kDpiChangedAfterParent:
            TakeDpi();
            return 0;
        case WM_THEMECHANGED:
        case WM_SYSCOLORCHANGE:
            palette_ = ReadSystemPalette();
            Refresh();
            return 0;
        case WM_SETFOCUS:
            React(behaviour_.FocusChanged(true));
            return 0;
        case WM_KILLFOCUS:
            if (spaceDown_) {
                // Space was let go elsewhere: no pressed look is left behind.
                spaceDown_ = false;
                behaviour_.EnabledChanged();
            }
            React(behaviour_.FocusChanged(false));
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && !(lParam & (1 << 30))) {
                spaceDown_ = true;
                React(behaviour_.SpaceDown());
            }
            return 0;
        case WM_KEYUP:
            if (wParam == VK_SPACE && spaceDown_) {
                spaceDown_ = false;
                React(behaviour_.SpaceUp());
            }
            return 0;
        case WM_CHAR:
            // One click a press: a held key's repeats do not click again.
            if (wParam == L' ' && !(lParam & (1 << 30))) React(behaviour_.SpacePress());
            return 0;
        case WM_DESTROY:
            GiveBackContainerToolTip();
            if (toolTip_) DestroyWindow(toolTip_);
            toolTip_ = nullptr;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
