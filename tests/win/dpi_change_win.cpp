// Every window, told that it moved onto a monitor of another scaling (96 -> 144 -> 120 dpi), ends
// as a window opened at 120 dpi is: the same client size, controls in the same places, the same
// fonts. Under Wine every monitor has the one scaling, so the move is the message Windows sends.
#include "support/dpi_change_win.h"
#include "support/program_test_win.h"

#include <commctrl.h>

#include <functional>
#include <memory>

#include "shell/about_window_win.h"
#include "shell/tray_menu_win.h"
#include "updater/velnor_window_win.h"

#include "records/editor_window_win.h"
#include "records/generator_options_win.h"
#include "records/import_preview_win.h"
#include "vault/config_window_win.h"
#include "vault/login_window_win.h"

namespace tf::test {
namespace {

constexpr WPARAM kMenuSetting = 4201;

class DpiChangeTest : public ProgramTest {
protected:
    // A window of the programs: how a user opens it in a program just started, and closes it.
    struct Opening {
        const char* name;
        std::function<HWND()> open;
        std::function<void(HWND)> close;
        // Asks Windows for the size of a window opened at the new scaling, not the present one scaled.
        bool asksItsSize = false;
        // The scaling sent first: one at which the window takes the size offered (the main window
        // shrinks to the 1280 x 1024 screen above 136 dpi).
        int through = 144;
    };

    // Each dialog gets something typed, ticked or selected as it opens; closing it checks that a
    // change of scaling kept that (and that password boxes still hide what they hold).
    std::vector<Opening> Windows() {
        const auto closeWith = [this](const wchar_t* cls) {
            return [this, cls](HWND window) {
                PostMessageW(window, WM_CLOSE, 0, 0);
                ASSERT_TRUE(WaitUntil([&] { return program_->TopWindows(cls).empty(); }));
            };
        };
        const auto openEditor = [this] {
            PostCommand(Control(L"Add"));
            HWND editor = program_->WaitForTopWindow(kEditorWindowClass);
            if (editor)
                SendMessageW(FindChildById(editor, kIdTxtName0 + 3), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(L"kept secret"));
            return editor;
        };
        const auto keptHidden = [](HWND box, const wchar_t* text) {
            EXPECT_EQ(WindowText(box), text);
            EXPECT_TRUE(GetWindowLongW(box, GWL_STYLE) & ES_PASSWORD);
            EXPECT_EQ(SendMessageW(box, EM_GETPASSWORDCHAR, 0, 0), L'*');
        };
        const auto openPrompt = [this] {
            PostMessageW(main_, WM_COMMAND, kMenuSetting, 0);
            HWND prompt = program_->WaitForTopWindow(kLoginWindowClass);
            if (prompt)
                SendMessageW(FindChildById(prompt, kIdLoginPassword), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(L"typed"));
            return prompt;
        };
        return {
            {"the main window", [this] { return main_; }, [](HWND) {}, true, 128},
            {"the hint window",
             [this] {
                 auto hints = program_->TopWindows(L"TamborvinFormHint");
                 return hints.empty() ? nullptr : hints.front();
             },
             [](HWND) {}},
            {"the editor", openEditor,
             [=](HWND editor) {
                 keptHidden(FindChildById(editor, kIdTxtName0 + 3), L"kept secret");
                 EXPECT_TRUE(HasFocus(FindChildById(editor, kIdTxtName0)));
                 closeWith(kEditorWindowClass)(editor);
             },
             true},
            {"the generator options",
             [=, this] {
                 HWND editor = openEditor();
                 if (!editor) return HWND{};
                 PostCommand(FindChildById(editor, kIdGeneratorOptions));
                 HWND options = program_->WaitForTopWindow(kGeneratorOptionsClass);
                 if (options) {
                     SendMessageW(FindChildById(options, kIdGeneratorLength), WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>(L"33"));
                     SendMessageW(FindChildById(options, kIdGeneratorNoLookAlikes), BM_SETCHECK, BST_CHECKED, 0);
                 }
                 return options;
             },
             [=, this](HWND options) {
                 EXPECT_EQ(WindowText(FindChildById(options, kIdGeneratorLength)), L"33");
                 EXPECT_EQ(SendMessageW(FindChildById(options, kIdGeneratorNoLookAlikes), BM_GETCHECK, 0, 0),
                           BST_CHECKED);
                 closeWith(kGeneratorOptionsClass)(options);
                 closeWith(kEditorWindowClass)(program_->WaitForTopWindow(kEditorWindowClass));
             },
             true},
            // Cancel: no master password is set, so the prompt's OK would open the settings.
            {"the password prompt", openPrompt,
             [=](HWND prompt) {
                 keptHidden(FindChildById(prompt, kIdLoginPassword), L"typed");
                 PostCommand(FindChildById(prompt, IDCANCEL));
                 ASSERT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }));
             },
             true},
            {"the settings window",
             [this] {
                 PostMessageW(main_, WM_COMMAND, kMenuSetting, 0);
                 HWND prompt = program_->WaitForTopWindow(kLoginWindowClass);
                 if (!prompt) return HWND{};
                 PostCommand(FindChildById(prompt, IDOK));
                 HWND config = program_->WaitForTopWindow(kConfigWindowClass);
                 if (config) {
                     SendMessageW(FindChildById(config, kIdConfigPassword0 + 1), WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>(L"new one"));
                     SendMessageW(FindChildById(config, kIdConfigRunOnStart), BM_SETCHECK, BST_CHECKED, 0);
                 }
                 return config;
             },
             [=](HWND config) {
                 keptHidden(FindChildById(config, kIdConfigPassword0 + 1), L"new one");
                 EXPECT_EQ(SendMessageW(FindChildById(config, kIdConfigRunOnStart), BM_GETCHECK, 0, 0), BST_CHECKED);
                 closeWith(kConfigWindowClass)(config);
             },
             true},
            {"the import preview",
             [this] {
                 folder_.Write(L"import.csv",
                               "name,url,username,password\r\n"
                               "bank,https://bank.example/,me,new-secret\r\n"
                               "mail,https://mail.example/login,bob,mail-secret\r\n");
                 PostCommand(Control(L"Import..."));
                 if (!ChooseFileInDialog(program_->WaitForMessageBox(), folder_.File(L"import.csv"))) return HWND{};
                 HWND preview = program_->WaitForTopWindow(kImportPreviewClass);
                 if (preview) RemoteListView(FindChildById(preview, kIdPreviewList)).Select(1);
                 return preview;
             },
             [=, this](HWND preview) {
                 HWND list = FindChildById(preview, kIdPreviewList);
                 EXPECT_EQ(RemoteListView(list).RowCount(), 2);
                 EXPECT_EQ(RemoteListView(list).SelectedRow(), 1);
                 // The columns as wide as in the preview opened at this scaling.
                 std::vector<int> widths;
                 for (int c = 0; c < static_cast<int>(std::size(kImportPreviewColumns)); ++c)
                     widths.push_back(ListView_GetColumnWidth(list, c));
                 if (previewColumns_.empty()) {
                     previewColumns_ = widths;
                 } else {
                     EXPECT_EQ(widths, previewColumns_);
                 }
                 closeWith(kImportPreviewClass)(preview);
             },
             true},
            {"the About window",
             [this] {
                 PostMessageW(main_, WM_COMMAND, kIdMnuAbout, 0);
                 return program_->WaitForTopWindow(kAboutWindowClass);
             },
             [this](HWND about) {
                 PostMessageW(about, WM_CLOSE, 0, 0);
                 EXPECT_TRUE(WaitUntil([&] { return program_->TopWindows(kAboutWindowClass).empty(); }));
             },
             true},
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
             },
             true},
        };
    }
    std::vector<int> previewColumns_;
    std::unique_ptr<Process> velnor_;
};

TEST_F(DpiChangeTest, AWindowMovedToAnotherScalingLooksAsIfOpenedThere) {
    ScreenDpiForNewPrograms dpi(120);
    ASSERT_TRUE(dpi.Set());
    std::vector<WindowLayout> opened;
    std::vector<RECT> frames;
    StartProgram();
    for (const Opening& w : Windows()) {
        HWND window = w.open();
        ASSERT_NE(window, nullptr) << w.name;
        opened.push_back(LayoutOf(window));
        frames.push_back({});
        GetWindowRect(window, &frames.back());
        w.close(window);
    }
    ExitProgram();

    ASSERT_TRUE(dpi.Change(96));
    StartProgram();
    std::size_t i = 0;
    for (const Opening& w : Windows()) {
        HWND window = w.open();
        ASSERT_NE(window, nullptr) << w.name;
        if (w.asksItsSize) {
            const std::optional<SIZE> asked = DpiScaledSize(window, 120);
            ASSERT_TRUE(asked) << w.name;
            EXPECT_EQ(asked->cx, frames[i].right - frames[i].left) << w.name;
            EXPECT_EQ(asked->cy, frames[i].bottom - frames[i].top) << w.name;
        }
        RECT client{};
        GetClientRect(window, &client);
        ASSERT_TRUE(SendDpiChange(window, w.through, {client.right * w.through / 96, client.bottom * w.through / 96}))
            << w.name;
        ASSERT_TRUE(SendDpiChange(window, 120, opened[i].client)) << w.name;
        ExpectSameLayout(LayoutOf(window), opened[i], w.name);
        w.close(window);
        ++i;
    }
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
