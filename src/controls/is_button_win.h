// isButton as a window class of the program. A form either creates one by class name through
// CreateProgramButton (the window then owns the control), or holds an IsButton object and calls
// Create. Either way the parent hears of a click as from a push button: WM_COMMAND BN_CLICKED
// under the control's ID; BM_CLICK presses it; the dialog keys treat it as a push button.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/owned_win.h"
#include "base/windows_api_win.h"
#include "controls/is_button.h"

namespace tf {

inline constexpr wchar_t kIsButtonClass[] = L"isButton";

// Read by tests from another process: the look the last repaint drew (VisualState), and value.
enum IsButtonMessage : UINT {
    kIbmGetDrawnState = WM_USER + 40,
    kIbmGetValue,
};

// A mouse move: buttons 1 left, 2 right, 4 middle; shift 1 Shift, 2 Ctrl, 4 Alt; x and y in pixels.
struct ButtonMouse {
    std::int16_t button;
    std::int16_t shift;
    float x;
    float y;
};

class IsButton {
public:
    IsButton() = default;
    ~IsButton();
    IsButton(const IsButton&) = delete;
    IsButton& operator=(const IsButton&) = delete;

    static bool Register();
    static std::string Version() { return kIsButtonVersion; }

    // A child of the parent with the properties the design stores; `style` adds window styles
    // (WS_TABSTOP, BS_DEFPUSHBUTTON).
    bool Create(HWND parent, int id, int x, int y, int width, int height, const PropertyBag& design,
                DWORD style = WS_TABSTOP, HFONT font = nullptr);
    HWND Handle() const { return hwnd_; }

    const IsButtonProperties& Properties() const { return props_; }
    PropertyBag WriteProperties() const;

    void SetStyle(int style);
    void SetCaption(const std::string& caption);
    void SetIcon(HICON icon);
    void SetIconAlign(int align);
    void SetIconSize(int size);
    void SetCaptionAlign(int align);
    void SetNonThemeStyle(int style);
    void SetEnabled(bool enabled);
    void SetShowFocus(bool show);
    void SetUseCustomColors(bool use);
    void SetBackColor(Colour colour);
    void SetHighlightColor(Colour colour);
    void SetFontColor(Colour colour);
    void SetFontHighlightColor(Colour colour);
    void SetToolTip(const std::string& text);
    void SetToolTipTitle(const std::string& title);
    void SetToolTipIcon(int icon);
    void SetToolTipType(int type);
    void SetToolTipBackColor(Colour colour);
    void SetToolTipForeColor(Colour colour);
    void SetFont(HFONT font);
    void SetButtonType(int type);
    void SetValue(bool value);
    void SetBackDrop(Colour colour);

    // Repaints now.
    void Refresh();
    VisualState DrawnState() const;
    // A fixed look, whatever the input, for previews and galleries of the styles; empty: live.
    void ShowLook(std::optional<VisualState> look);
    bool HoverTracking() const { return trackMouse_ != nullptr; }

    std::function<void()> Click;
    std::function<void()> MouseEnter;
    std::function<void()> MouseLeave;
    std::function<void(ButtonMouse&)> MouseMove;
    // The property-changed notice, by its announced name.
    std::function<void(const char*)> PropertyChanged;

    // The object a window of the class belongs to, from its creation parameter; none for a window made
    // from the class name alone.
    static IsButton* ObjectOf(void* param);

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void ReadProperties(const PropertyBag& design);
    void SetUpHoverTracking();
    void Changed(ButtonProperty property);
    void Layout();
    void React(const ButtonReaction& reaction);
    // Raises Click and tells the parent; the parent may destroy the control, so this comes last.
    void RaiseClick();
    // True when the visual style could not draw and the style fell back: lay out again.
    bool Paint(HDC dc);
    bool DrawThemed(HDC dc, const RECT& rect, int state);
    void DrawIcon(HDC dc, VisualState state, int unit);
    void BuildToolTip();
    // The tooltip's font at the button's scaling, and its tool the button's present size.
    void ToolTipFont();
    void FitToolTip();
    // Font, icon, layout and tooltip remade for the scaling the top-level window now has.
    void TakeDpi();
    void LoadFontFromProperties();
    void LoadIconFromProperties();
    int IconPixels() const;
    // The container's tooltip text for the control moves to the control while it shows.
    void TakeContainerToolTip();
    void GiveBackContainerToolTip();

    HWND hwnd_ = nullptr;
    bool ownedByWindow_ = false;
    IsButtonProperties props_;
    ButtonBehaviour behaviour_;
    ButtonLayout layout_;
    SystemPalette palette_ = SystemPalette::Standard();
    HFONT font_ = nullptr;
    UniqueFont ownFont_;  // font_, when the button made it from its properties
    HICON icon_ = nullptr;
    UniqueIcon ownIcon_;  // icon_, when the button loaded it
    HWND toolTip_ = nullptr;
    UniqueFont toolTipFont_;
    using TrackMouseEventFn = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
    TrackMouseEventFn trackMouse_ = nullptr;
    bool inLayout_ = false;
    bool spaceDown_ = false;
    VisualState lastDrawn_ = VisualState::kNormal;
    std::optional<VisualState> look_;
    bool shownOnce_ = false;
    HWND containerTip_ = nullptr;
    std::wstring containerText_;
};

// The program's command buttons: Style 8, ShowFocus on, IconAlign 1, NonThemeStyle 0.
HWND CreateProgramButton(HWND parent, const wchar_t* caption, DWORD style, int id, int x, int y, int width, int height,
                         HFONT font);
// A program button of a window that lays itself out again at each change of scaling: made the first
// time, found by its id and moved with the font after.
void PlaceProgramButton(bool first, HWND parent, const wchar_t* caption, DWORD style, int id, int x, int y, int width,
                        int height, HFONT font);
// The control behind an isButton window, or null.
IsButton* IsButtonOf(HWND window);

}  // namespace tf
