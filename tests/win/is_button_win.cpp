// isButton under Wine: a window of this test program holds the buttons and the real mouse and
// keyboard drive them; then the real program's command buttons are pressed as a user presses them.
#include "controls/is_button_win.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <memory>

#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "support/program_test_win.h"

namespace tf::test {
namespace {

constexpr wchar_t kHostClass[] = L"TamborvinButtonTestHost";
constexpr int kButtonId = 300;

// Counts the BN_CLICKED notices the parent hears.
int parentClicks = 0;
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) ++parentClicks;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void MoveMouse(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(input));
}

void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

class IsButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterWindowClass(kHostClass, HostProc, GetSysColorBrush(COLOR_BTNFACE)));
        host_ = CreateWindowExW(0, kHostClass, L"host", WS_POPUP | WS_VISIBLE, 100, 100, 300, 120, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host_, nullptr);
        parentClicks = 0;
    }
    void TearDown() override {
        button_.reset();
        if (host_) DestroyWindow(host_);
        MoveMouse({5, 5});
        Pump();
    }

    IsButton& Make(const PropertyBag& design, int width = 75, int height = 25) {
        button_ = std::make_unique<IsButton>();
        EXPECT_TRUE(button_->Create(host_, kButtonId, 20, 20, width, height, design));
        button_->Click = [this] { ++clicks_; };
        SetForegroundWindow(host_);
        Pump();
        return *button_;
    }

    POINT Centre() const {
        RECT r;
        GetWindowRect(button_->Handle(), &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    bool WaitForState(VisualState state) {
        return WaitUntil(
            [&] {
                Pump();
                return button_->DrawnState() == state;
            },
            3s);
    }

    COLORREF ScreenPixel(int x, int y) {
        Pump();
        RECT r;
        GetWindowRect(button_->Handle(), &r);
        HDC screen = GetDC(nullptr);
        COLORREF c = GetPixel(screen, r.left + x, r.top + y);
        ReleaseDC(nullptr, screen);
        return c;
    }

    HWND host_ = nullptr;
    std::unique_ptr<IsButton> button_;
    int clicks_ = 0;
};

TEST_F(IsButtonTest, Style8WindowRegionIsPolygonB) {
    IsButton& b = Make(ProgramButtonDesign("OK"));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(b.Handle(), region), ERROR);
    struct Case {
        int x, y;
        bool inside;
    };
    // The cut corners: 2 at the top left, 3 on the right, 4 at the bottom left.
    const Case cases[] = {{0, 0, false},  {1, 0, false},  {2, 1, true},   {74, 0, false},
                          {74, 1, false}, {70, 1, true},  {74, 10, true}, {74, 24, false},
                          {0, 24, false}, {2, 24, false}, {0, 20, true},  {37, 12, true}};
    for (const Case& c : cases) EXPECT_EQ(PtInRegion(region, c.x, c.y) != 0, c.inside) << c.x << "," << c.y;
    DeleteObject(region);
    EXPECT_EQ(IsButton::Version(), "3.0");
}

TEST_F(IsButtonTest, TooSmallButtonGrowsTo300Twips) {
    IsButton& b = Make(ProgramButtonDesign("x"), 10, 10);
    RECT r;
    GetClientRect(b.Handle(), &r);
    int pixels = (300 * ScreenDpi() + 1439) / 1440;
    EXPECT_EQ(r.right, pixels);
    EXPECT_EQ(r.bottom, pixels);
}

TEST_F(IsButtonTest, MouseClickHoverAndLeave) {
    IsButtonProperties p = ReadButtonProperties(ProgramButtonDesign("OK"));
    p.toolTip = "Adds a record";
    p.toolTipTitle = "Add";
    p.toolTipIcon = 1;
    p.toolTipBackColor = Rgb(255, 250, 205);
    PropertyBag design;
    WriteButtonProperties(p, design);
    IsButton& b = Make(design);
    ASSERT_TRUE(b.HoverTracking());
    int entered = 0, left = 0;
    b.MouseEnter = [&] { ++entered; };
    b.MouseLeave = [&] { ++left; };
    COLORREF before = ScreenPixel(37, 6);

    MoveMouse(Centre());
    ASSERT_TRUE(WaitForState(VisualState::kHot));
    EXPECT_EQ(entered, 1);
    // The hot face is lighter than the normal one.
    EXPECT_NE(ScreenPixel(37, 6), before);
    // Its own tooltip, a balloon, was built for it.
    HWND tip = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t cls[64];
            GetClassNameW(w, cls, 64);
            if (std::wstring_view(cls) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(p) = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(GetWindowLongW(tip, GWL_STYLE) & TTS_BALLOON);
    // Owned by the control, which the system takes to mean its top-level window.
    EXPECT_EQ(GetWindow(tip, GW_OWNER), host_);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(255, 250, 205));
    wchar_t text[64] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_STREQ(text, L"Adds a record");

    Mouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(WaitForState(VisualState::kPressed));
    Mouse(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitUntil(
        [&] {
            Pump();
            return clicks_ == 1;
        },
        3s));
    EXPECT_EQ(parentClicks, 1);
    EXPECT_EQ(b.DrawnState(), VisualState::kHot);

    MoveMouse({5, 5});
    ASSERT_TRUE(WaitForState(VisualState::kNormal));
    EXPECT_EQ(left, 1);
    EXPECT_EQ(ScreenPixel(37, 6), before);
}

TEST_F(IsButtonTest, RightClickRaisesNothingAndSpaceRaisesOneClick) {
    IsButton& b = Make(ProgramButtonDesign("OK"));
    MoveMouse(Centre());
    ASSERT_TRUE(WaitForState(VisualState::kHot));
    Mouse(MOUSEEVENTF_RIGHTDOWN);
    Mouse(MOUSEEVENTF_RIGHTUP);
    // Input is handled in order: once the move away shows, the right click has been handled too.
    MoveMouse({5, 5});
    ASSERT_TRUE(WaitForState(VisualState::kNormal));
    EXPECT_EQ(clicks_, 0);

    SetFocus(b.Handle());
    // As the keyboard sends it: down, character, up.
    SendMessageW(b.Handle(), WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(b.DrawnState(), VisualState::kPressed);
    SendMessageW(b.Handle(), WM_CHAR, L' ', 1);
    SendMessageW(b.Handle(), WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_EQ(clicks_, 1);
    EXPECT_EQ(parentClicks, 1);
    // A held key repeats its character: no further click.
    SendMessageW(b.Handle(), WM_CHAR, L' ', 0x40000001);
    EXPECT_EQ(clicks_, 1);
}

TEST_F(IsButtonTest, ToggleStaysPressedUntilClickedAgain) {
    IsButtonProperties p = ReadButtonProperties(ProgramButtonDesign("Bold"));
    p.buttonType = 1;
    PropertyBag design;
    WriteButtonProperties(p, design);
    IsButton& b = Make(design);
    MoveMouse(Centre());
    ASSERT_TRUE(WaitForState(VisualState::kHot));
    for (bool expected : {true, false}) {
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Mouse(MOUSEEVENTF_LEFTUP);
        ASSERT_TRUE(WaitUntil(
            [&] {
                Pump();
                return b.Properties().buttonType == 1 && SendMessageW(b.Handle(), BM_GETCHECK, 0, 0) == expected;
            },
            3s));
        EXPECT_EQ(b.DrawnState(), expected ? VisualState::kPressed : VisualState::kHot);
    }
    EXPECT_EQ(clicks_, 2);
}

TEST_F(IsButtonTest, DisabledButtonTakesNoInput) {
    IsButton& b = Make(ProgramButtonDesign("OK"));
    b.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(b.Handle()));
    MoveMouse(Centre());
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Pump();
    Sleep(100);
    Pump();
    EXPECT_EQ(b.DrawnState(), VisualState::kDisabled);
    Mouse(MOUSEEVENTF_LEFTUP);
    SendMessageW(b.Handle(), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(clicks_, 0);
}

TEST_F(IsButtonTest, WorksAsAPushButtonForTheDialogKeys) {
    IsButton& b = Make(ProgramButtonDesign("OK"));
    EXPECT_EQ(SendMessageW(b.Handle(), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    SendMessageW(b.Handle(), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    EXPECT_EQ(SendMessageW(b.Handle(), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    SendMessageW(b.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(parentClicks, 1);
    EXPECT_EQ(WindowText(b.Handle()), L"OK");
    std::vector<std::string> notices;
    b.PropertyChanged = [&](const char* name) { notices.emplace_back(name); };
    b.SetCaption("");
    b.SetToolTip("tip");
    EXPECT_EQ(notices, (std::vector<std::string>{"Caption", "ToolTipText"}));
    // An empty caption is not stored, so it reads back as the default.
    EXPECT_EQ(ReadButtonProperties(b.WriteProperties()).caption, "isButton");
}

TEST_F(IsButtonTest, ThemedStyleFallsBackWithoutAVisualStyle) {
    IsButtonProperties p = ReadButtonProperties(ProgramButtonDesign("Theme"));
    p.style = 6;
    p.nonThemeStyle = 8;
    PropertyBag design;
    WriteButtonProperties(p, design);
    IsButton& b = Make(design);
    // Switching the window's visual style off leaves the theme functions nothing to draw with.
    SetWindowTheme(b.Handle(), L" ", L" ");
    b.Refresh();
    Pump();
    EXPECT_EQ(b.Properties().style, 8);
    // The fall-back style's region came with it at once.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(b.Handle(), region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    DeleteObject(region);
}

TEST_F(IsButtonTest, CreatedByClassNameStartsAsANewlyPlacedControl) {
    ASSERT_TRUE(IsButton::Register());
    HWND plain = CreateChild(host_, 0, kIsButtonClass, L"btnPlain", WS_TABSTOP, kButtonId, 20, 20, 75, 25, nullptr);
    ASSERT_NE(plain, nullptr);
    IsButton* b = IsButtonOf(plain);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Properties().style, 0);
    EXPECT_EQ(b->Properties().caption, "btnPlain");
    EXPECT_EQ(b->Properties().iconSize, 16);
    SendMessageW(plain, BM_CLICK, 0, 0);
    EXPECT_EQ(parentClicks, 1);
    // The window owns this control: destroying it frees the control.
    DestroyWindow(plain);
    EXPECT_EQ(IsButtonOf(plain), nullptr);
}

TEST_F(IsButtonTest, ContainerToolTipIsTakenOverWhileShown) {
    IsButton& b = Make(ProgramButtonDesign("OK"));
    ShowWindow(b.Handle(), SW_HIDE);
    HWND formTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, host_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(formTip, nullptr);
    wchar_t formText[] = L"from the form";
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = host_;
    tool.uId = reinterpret_cast<UINT_PTR>(b.Handle());
    tool.lpszText = formText;
    ASSERT_TRUE(SendMessageW(formTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    auto formTextNow = [&] {
        wchar_t text[256] = {};
        TOOLINFOW read = tool;
        read.lpszText = text;
        SendMessageW(formTip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&read));
        return std::wstring(text);
    };

    ShowWindow(b.Handle(), SW_SHOW);
    EXPECT_EQ(b.Properties().toolTip, "from the form");
    EXPECT_EQ(formTextNow(), L"");
    ShowWindow(b.Handle(), SW_HIDE);
    EXPECT_EQ(formTextNow(), L"from the form");
    DestroyWindow(formTip);
}

// Moved to a monitor of another scaling, the window tells its controls: the button remakes the font
// its properties give in points, lays out at the new scaling, and reads the parent's new font there.
TEST_F(IsButtonTest, ToldOfANewScalingItRemakesItsFontAndLaysOutAgain) {
    PropertyBag design = ProgramButtonDesign("OK");
    design.Write("Font", "Tahoma,9,700,0", std::nullopt);
    IsButton& b = Make(design, 10, 10);
    auto fontHeight = [&] {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(b.Handle(), WM_GETFONT, 0, 0)), sizeof lf, &lf);
        return lf.lfHeight;
    };
    ASSERT_EQ(fontHeight(), Dpi(96).FontHeight(9));
    SetWindowDpi(host_, 192);
    SendMessageW(b.Handle(), kDpiChangedAfterParent, 0, 0);
    EXPECT_EQ(fontHeight(), Dpi(192).FontHeight(9));
    EXPECT_EQ(b.WriteProperties().Read("Font", std::string_view()), "Tahoma,9,700,0");
    RECT r;
    GetClientRect(b.Handle(), &r);
    EXPECT_EQ(r.right, 43);  // 300 twips in whole 7-twip pixels
    UniqueFont parentFont(CreateUiFont(8, 192));
    SendMessageW(b.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(parentFont.Get()), TRUE);
    EXPECT_EQ(b.Properties().font, "Tahoma,8,400,0");
}

class ProgramButtonTest : public ProgramTest {};

TEST_F(ProgramButtonTest, MainWindowButtonsAnswerMouseAndSpace) {
    StartProgram();
    HWND add = Control(L"Add");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(ClassOf(add), kIsButtonClass);
    for (const wchar_t* caption : {L"Edit", L"Delete", L"Find"}) {
        EXPECT_EQ(ClassOf(Control(caption)), kIsButtonClass) << Narrow(caption);
    }
    // Polygon B cuts the top-left corner.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(add, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    DeleteObject(region);

    // Hover changes the look on screen.
    RECT r;
    GetWindowRect(add, &r);
    auto pixel = [&] {
        HDC screen = GetDC(nullptr);
        COLORREF c = GetPixel(screen, (r.left + r.right) / 2, r.top + 6);
        ReleaseDC(nullptr, screen);
        return c;
    };
    MoveMouse({r.left - 40, r.bottom + 60});
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(add, kIbmGetDrawnState, 0, 0) == 1; }, 3s));
    COLORREF normal = pixel();
    MoveMouse({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(add, kIbmGetDrawnState, 0, 0) == 2; }, 3s));
    EXPECT_TRUE(WaitUntil([&] { return pixel() != normal; }, 3s));

    // A mouse click opens the editor; Space on its focused Cancel closes it.
    ClickWindow(add);
    HWND editor = program_->WaitForTopWindow(L"TamborvinFormEdit");
    ASSERT_NE(editor, nullptr);
    HWND cancel = FindChild(editor, kIsButtonClass, L"Cancel");
    ASSERT_NE(cancel, nullptr);
    FocusControl(cancel);
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(cancel); }));
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }));
    ExitProgram();
}

TEST_F(ProgramButtonTest, LoginPromptButtonsAnswerTheMouseAndTheDialogKeys) {
    StartProgram();
    PostCommand(Control(L"  —"), STN_CLICKED);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }));
    auto prompt = [&] {
        PostMessageW(main_, kTrayMessage, 1, WM_LBUTTONUP);
        return program_->WaitForTopWindow(L"TamborvinFormLogin");
    };

    HWND login = prompt();
    ASSERT_NE(login, nullptr);
    HWND cancel = FindChild(login, kIsButtonClass, L"Cancel");
    ASSERT_NE(cancel, nullptr);
    ClickWindow(cancel);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(login) || !IsWindowVisible(login); }));
    EXPECT_FALSE(IsWindowVisible(main_));

    // Enter in the password box presses the default OK: the empty first password opens the window.
    login = prompt();
    ASSERT_NE(login, nullptr);
    HWND box = FindChildById(login, 4001);
    FocusControl(box);
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(box); }));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_); }));
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
