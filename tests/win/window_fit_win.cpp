// Every window of both programs opens inside the work area at 150 % scaling on a 1280 x 1024
// screen, where the main window laid out at 100 % would be taller than the screen.
#include "support/dpi_change_win.h"
#include "support/program_test_win.h"

#include "shell/about_window_win.h"
#include "shell/tray_menu_win.h"
#include "updater/velnor_window_win.h"

namespace tf::test {
namespace {

constexpr WPARAM kMenuSetting = 4201;

class WindowFitTest : public ProgramTest {
protected:
    // The window lies inside the work area of its monitor, its title band with it.
    static void ExpectInsideWorkArea(HWND window, const char* name) {
        ASSERT_NE(window, nullptr) << name << " did not open";
        RECT r;
        GetWindowRect(window, &r);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
        const RECT& work = info.rcWork;
        EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom)
            << name << " at " << r.left << "," << r.top << " - " << r.right << "," << r.bottom
            << " outside the work area " << work.left << "," << work.top << " - " << work.right << "," << work.bottom;
    }
    ScreenDpiForNewPrograms dpi_{144};
};

TEST_F(WindowFitTest, EveryWindowOpensInsideTheWorkAreaAt144Dpi) {
    ASSERT_TRUE(dpi_.Set());
    StartProgram();
    // Scaled: laid out for 820 pixels at 96 dpi, it is wider than that here.
    RECT main;
    GetWindowRect(main_, &main);
    EXPECT_GT(main.right - main.left, 1100) << "the program did not run at 144 dpi";
    ExpectInsideWorkArea(main_, "the main window");
    // Moved onto a monitor of 200 %, it shrinks to the work area there as it did at the start.
    const WindowLayout fitted = LayoutOf(main_);
    const std::optional<SIZE> asked = DpiScaledSize(main_, 192);
    ASSERT_TRUE(asked);
    EXPECT_TRUE(asked->cx == fitted.client.cx && asked->cy == fitted.client.cy) << asked->cx << " x " << asked->cy;
    ASSERT_TRUE(SendDpiChange(main_, 192, fitted.client));
    ExpectSameLayout(LayoutOf(main_), fitted, "the main window moved to 200 %");
    ExpectInsideWorkArea(main_, "the main window at 200 %");
    auto hints = program_->TopWindows(L"TamborvinFormHint");
    ExpectInsideWorkArea(hints.empty() ? nullptr : hints.front(), "the hint window");

    PostCommand(Control(L"Add"));
    HWND editor = program_->WaitForTopWindow(L"TamborvinFormEdit");
    ExpectInsideWorkArea(editor, "the editor");
    if (editor) PostMessageW(editor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return program_->TopWindows(L"TamborvinFormEdit").empty(); }));

    // Without a master password the prompt takes an empty one.
    PostMessageW(main_, WM_COMMAND, kMenuSetting, 0);
    HWND login = program_->WaitForTopWindow(L"TamborvinFormLogin");
    ExpectInsideWorkArea(login, "the password prompt");
    if (login) PostCommand(FindChildById(login, IDOK));
    HWND config = program_->WaitForTopWindow(L"TamborvinFormConfig");
    ExpectInsideWorkArea(config, "the settings window");
    if (config) PostMessageW(config, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return program_->TopWindows(L"TamborvinFormConfig").empty(); }));

    PostMessageW(main_, WM_COMMAND, kIdMnuAbout, 0);
    HWND about = program_->WaitForTopWindow(kAboutWindowClass);
    ExpectInsideWorkArea(about, "the About window");
    if (about) PostMessageW(about, WM_CLOSE, 0, 0);
    ExitProgram();

    folder_.CopyProgram(L"velnor.exe");
    Process velnor(folder_.File(L"velnor.exe"), folder_.Path());
    ExpectInsideWorkArea(velnor.WaitForTopWindow(kVelnorWindowClass), "the updater");
}

}  // namespace
}  // namespace tf::test
