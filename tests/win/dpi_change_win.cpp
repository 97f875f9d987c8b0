// Every window, told that it moved onto a monitor of another scaling (96 -> 144 -> 120 dpi), ends
// as a window opened at 120 dpi is: the same client size, controls in the same places, the same
// fonts. Under Wine every monitor has the one scaling, so the move is the message Windows sends.
#include "support/dpi_change_win.h"
#include "support/program_test_win.h"

#include <functional>
#include <memory>

#include "shell/about_window_win.h"
#include "shell/tray_menu_win.h"
#include "updater/velnor_window_win.h"

namespace tf::test {
namespace {

class DpiChangeTest : public ProgramTest {
protected:
    // A window of the programs: how a user opens it in a program just started, and closes it.
    struct Opening {
        const char* name;
        std::function<HWND()> open;
        std::function<void(HWND)> close;
    };

    std::vector<Opening> Windows() {
        return {
            {"the About window",
             [this] {
                 PostMessageW(main_, WM_COMMAND, kIdMnuAbout, 0);
                 return program_->WaitForTopWindow(kAboutWindowClass);
             },
             [this](HWND about) {
                 PostMessageW(about, WM_CLOSE, 0, 0);
                 EXPECT_TRUE(WaitUntil([&] { return program_->TopWindows(kAboutWindowClass).empty(); }));
             }},
            // The updater is a program of its own, started beside the main one as About starts it.
            {"the updater",
             [this] {
                 if (!folder_.Exists(L"velnor.exe")) folder_.CopyProgram(L"velnor.exe");
                 velnor_ = std::make_unique<Process>(folder_.File(L"velnor.exe"), folder_.Path());
                 return velnor_->WaitForTopWindow(kVelnorWindowClass);
             },
             [this](HWND window) {
                 PostMessageW(window, WM_CLOSE, 0, 0);
                 EXPECT_TRUE(velnor_->WaitForExit().has_value());
                 velnor_.reset();
             }},
        };
    }

    std::unique_ptr<Process> velnor_;
};

TEST_F(DpiChangeTest, AWindowMovedToAnotherScalingLooksAsIfOpenedThere) {
    ScreenDpiForNewPrograms dpi(120);
    ASSERT_TRUE(dpi.Set());
    std::vector<WindowLayout> opened;
    StartProgram();
    for (const Opening& w : Windows()) {
        HWND window = w.open();
        ASSERT_NE(window, nullptr) << w.name;
        opened.push_back(LayoutOf(window));
        w.close(window);
    }
    ExitProgram();

    ASSERT_TRUE(dpi.Change(96));
    StartProgram();
    std::size_t i = 0;
    for (const Opening& w : Windows()) {
        HWND window = w.open();
        ASSERT_NE(window, nullptr) << w.name;
        RECT client{};
        GetClientRect(window, &client);
        ASSERT_TRUE(SendDpiChange(window, 144, {client.right * 3 / 2, client.bottom * 3 / 2})) << w.name;
        ASSERT_TRUE(SendDpiChange(window, 120, opened[i].client)) << w.name;
        ExpectSameLayout(LayoutOf(window), opened[i], w.name);
        w.close(window);
        ++i;
    }
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
