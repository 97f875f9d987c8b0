// The real "Tamborvin Form.exe", started in a folder of its own and driven from outside.
#include "support/program_test_win.h"

#include <commctrl.h>

#include "records/main_window_win.h"
#include "support/dpi_change_win.h"
#include "vault/vault_file.h"

namespace tf::test {
namespace {

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, SecondStartEndsAtOnceWithoutAWindow) {
    StartProgram();
    Process second(exe_, folder_.Path());
    auto code = second.WaitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "the second instance kept running";
    EXPECT_EQ(*code, 0u);
    EXPECT_TRUE(second.TopWindows(kMainClass).empty());
    EXPECT_TRUE(program_->Running());
    EXPECT_EQ(program_->TopWindows(kMainClass).size(), 1u);
}

TEST_F(MainWindowTest, ShowsTheVaultInTheGrid) {
    auto records = FourRecords();
    folder_.Write(L"Data.db", FormatVault(records));
    StartProgram();

    ASSERT_EQ(list_->RowCount(), 4);
    ASSERT_EQ(list_->ColumnCount(), 10);
    const wchar_t* headers[] = {
        L"#",       L"Site Name",         L"Login URL",        L"   Login account", L"Login password",
        L"MAILBOX", L"Password problems", L"Password answers", L"Remark",           L"Coding"};
    for (int c = 0; c < 10; ++c) EXPECT_EQ(list_->HeaderText(c), headers[c]) << "column " << c;
    for (int r = 0; r < 4; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(list_->Text(r, 0), std::to_wstring(r + 1));
        for (int c = 1; c < 10; ++c) EXPECT_EQ(Narrow(list_->Text(r, c)), records[r][c]) << "column " << c;
    }
    // The password and the search key never show.
    EXPECT_EQ(list_->ColumnWidth(4), 0);
    EXPECT_EQ(list_->ColumnWidth(9), 0);
    EXPECT_GT(list_->ColumnWidth(1), list_->ColumnWidth(3));
    EXPECT_EQ(list_->SelectedRow(), -1);
}

TEST_F(MainWindowTest, DeleteRenumbersAndExitWritesTheFile) {
    auto records = FourRecords();
    folder_.Write(L"Data.db", FormatVault(records));
    StartProgram();

    list_->Select(1);
    PostCommand(Control(L"Delete"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 3; }));
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"1", L"2", L"3"}));
    EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"中国银行", L"淘宝", L"forum"}));

    records.erase(records.begin() + 1);
    std::string expected = FormatVault(Numbered(records));
    // Saved at once, so that a crash loses nothing.
    EXPECT_TRUE(WaitUntil([&] { return folder_.Read(L"Data.db") == expected; }));
    ExitProgram();
    EXPECT_EQ(folder_.Read(L"Data.db"), expected);
    EXPECT_FALSE(folder_.Exists(L"tmp.db"));
}

TEST_F(MainWindowTest, ExitAfterAFailedSaveAsksBeforeTheChangesAreLost) {
    auto records = FourRecords();
    const std::string before = FormatVault(records);
    folder_.Write(L"Data.db", before);
    StartProgram();
    // Another program holds tmp.db, so no save can go through.
    HANDLE held = CreateFileW(folder_.File(L"tmp.db").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    list_->Select(1);
    PostCommand(Control(L"Delete"));
    auto answer = [&](int button) {
        HWND box = program_->WaitForMessageBox();
        if (!box) return std::wstring(L"(no message)");
        std::wstring text = MessageBoxText(box);
        AnswerMessageBox(box, button);
        WaitUntil([&] { return !IsWindow(box); });
        return text;
    };
    EXPECT_NE(answer(IDOK).find(L"Description"), std::wstring::npos) << "the failed save after the delete";

    PostCommand(Control(L"关闭"));
    EXPECT_NE(answer(IDOK).find(L"Description"), std::wstring::npos) << "the failed save at exit";
    EXPECT_EQ(answer(IDNO),
              L"The records could not be saved. Exit anyway? The changes since the last save will be lost.");
    // Answered once the handler that asked has run to its end.
    ASSERT_TRUE(SendAndWait(main_, WM_NULL)) << "No keeps the program and its changes";
    ASSERT_TRUE(program_->Running());
    EXPECT_EQ(list_->RowCount(), 3);
    EXPECT_EQ(folder_.Read(L"Data.db"), before);

    // Once the file is free again, Exit saves and ends.
    CloseHandle(held);
    ExitProgram();
    records.erase(records.begin() + 1);
    EXPECT_EQ(folder_.Read(L"Data.db"), FormatVault(Numbered(records)));
}

TEST_F(MainWindowTest, DeletingEveryRecordRemovesTheVaultOrSaysItCouldNot) {
    const std::string bytes = FormatVault(Numbered({SampleRecord("a", "http://a.example/", "u", "p")}));
    folder_.Write(L"Data.db", bytes);
    StartProgram();
    // A backup or sync program holds the vault open: it cannot be deleted, and the save says so.
    HANDLE held = CreateFileW(folder_.File(L"Data.db").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    list_->Select(0);
    PostCommand(Control(L"Delete"));
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"Failed to save the data, code:70 Description:Permission denied");
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_EQ(list_->RowCount(), 0);
    EXPECT_EQ(folder_.Read(L"Data.db"), bytes);

    // Let go: the exit's save removes it.
    CloseHandle(held);
    ExitProgram();
    EXPECT_FALSE(folder_.Exists(L"Data.db"));
    EXPECT_FALSE(folder_.Exists(L"tmp.db"));
}

TEST_F(MainWindowTest, DeleteKeyAsksFirstWithNoAsTheDefault) {
    auto records = FourRecords();
    const std::string bytes = FormatVault(records);
    folder_.Write(L"Data.db", bytes);
    StartProgram();
    list_->Select(1);
    for (int button : {IDNO, IDYES}) {
        PostMessageW(grid_, WM_KEYDOWN, VK_DELETE, 0);
        HWND box = program_->WaitForMessageBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box),
                  L"Delete the record \"" + Widen(records[1][kSiteName]) + L"\"? This cannot be undone.");
        HWND no = GetDlgItem(box, IDNO);
        ASSERT_NE(no, nullptr);
        EXPECT_TRUE(GetWindowLongW(no, GWL_STYLE) & BS_DEFPUSHBUTTON) << "No is the default";
        AnswerMessageBox(box, button);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        ASSERT_TRUE(SendAndWait(main_, WM_NULL));
        if (button == IDNO) {
            EXPECT_EQ(list_->RowCount(), 4);
            EXPECT_EQ(folder_.Read(L"Data.db"), bytes);
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 3; }));
    records.erase(records.begin() + 1);
    EXPECT_TRUE(WaitUntil([&] { return folder_.Read(L"Data.db") == FormatVault(Numbered(records)); }));
    ExitProgram();
}

TEST_F(MainWindowTest, DeleteWithNothingSelectedAsksForARecord) {
    auto bytes = FormatVault(FourRecords());
    folder_.Write(L"Data.db", bytes);
    StartProgram();
    PostCommand(Control(L"Delete"));
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"Please select the record to be deleted!");
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_EQ(list_->RowCount(), 4);
    ExitProgram();
    EXPECT_EQ(folder_.Read(L"Data.db"), bytes);
}

TEST_F(MainWindowTest, ExitWithoutChangesLeavesTheFileUntouched) {
    auto bytes = FormatVault(FourRecords());
    folder_.Write(L"Data.db", bytes);
    FILETIME before = folder_.WriteTime(L"Data.db");
    Sleep(20);
    StartProgram();
    // The title bar's own exit label this time.
    ClickWindow(Control(L"   X"));
    ASSERT_TRUE(program_->WaitForExit().has_value());
    EXPECT_EQ(folder_.Read(L"Data.db"), bytes);
    FILETIME after = folder_.WriteTime(L"Data.db");
    EXPECT_EQ(CompareFileTime(&before, &after), 0);
    EXPECT_FALSE(folder_.Exists(L"tmp.db"));
}

TEST_F(MainWindowTest, FirstStartWithoutVaultShowsNoRowsAndWritesNothing) {
    StartProgram();
    EXPECT_EQ(list_->RowCount(), 0);
    ExitProgram();
    EXPECT_FALSE(folder_.Exists(L"Data.db"));
    EXPECT_FALSE(folder_.Exists(L"tmp.db"));
}

TEST_F(MainWindowTest, UnreadableVaultIsReportedAndKeptUntouched) {
    auto bytes = FormatVault(FourRecords());
    // The last record loses its last five fields.
    std::size_t cut = bytes.size() - 2;
    for (int commas = 0; commas < 5;) commas += bytes[--cut] == ',';
    bytes.resize(cut);
    folder_.Write(L"Data.db", bytes);
    exe_ = folder_.CopyProgram(kProgram);
    program_ = std::make_unique<Process>(exe_, folder_.Path());
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"Failed to get data, code:62 Description:Input past end of file");
    AnswerMessageBox(box, IDOK);
    FindMainWindow();
    EXPECT_EQ(list_->RowCount(), 0);
    ExitProgram();
    EXPECT_EQ(folder_.Read(L"Data.db"), bytes);
}

TEST_F(MainWindowTest, WindowCloseAsksAndYesEndsTheProgram) {
    folder_.Write(L"Data.db", FormatVault(FourRecords()));
    StartProgram();
    PostMessageW(main_, WM_CLOSE, 0, 0);
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"OK to exit it ?");
    AnswerMessageBox(box, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(program_->Running());
    EXPECT_TRUE(IsWindowVisible(main_));

    PostMessageW(main_, WM_CLOSE, 0, 0);
    box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    AnswerMessageBox(box, IDYES);
    auto code = program_->WaitForExit();
    ASSERT_TRUE(code.has_value()) << "a closed main window must not leave the process behind";
}

TEST_F(MainWindowTest, HiddenToTheTrayAndBackByALeftClickOnTheIcon) {
    StartProgram();
    ClickWindow(Control(L"  —"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }));
    EXPECT_TRUE(program_->Running());

    // What the shell sends for a left click on the icon. No master password is set yet: the
    // prompt takes the empty one.
    PostMessageW(main_, kTrayMessage, 1, WM_LBUTTONUP);
    HWND login = program_->WaitForTopWindow(L"TamborvinFormLogin");
    ASSERT_NE(login, nullptr);
    PostCommand(FindChildById(login, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main_); }));
    // Mouse moves over the window are not taken for clicks on the icon.
    PostCommand(Control(L"  —"), STN_CLICKED);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }));
    ASSERT_TRUE(SendAndWait(main_, WM_MOUSEMOVE, 0, MAKELPARAM(WM_LBUTTONUP, 10)));
    EXPECT_FALSE(IsWindowVisible(main_));
    ExitProgram();
}

// The size of the window's big or small icon, as the program holds it.
SIZE IconSize(HWND window, WPARAM which) {
    const struct {
        HWND window;
        WPARAM which;
    } ask{window, which};
    const DWORD size = RunProbe(window, "IconSizeOf", &ask, sizeof ask).value_or(0);
    return {LOWORD(size), HIWORD(size)};
}

// Moved onto a monitor of another scaling, the window lays out its very controls again: what the
// user typed, chose, ticked and where the focus was stay; its icons are remade at that scaling.
TEST_F(MainWindowTest, AChangeOfScalingKeepsTheControlsAndWhatIsInThem) {
    folder_.Write(L"Data.db", FormatVault(FourRecords()));
    StartProgram();
    list_->Select(2);
    HWND search = FindChildById(main_, kIdText11);
    HWND chrome = Control(L"chrome");
    ASSERT_TRUE(SendAndWait(chrome, BM_CLICK, 0, 0));
    SendMessageW(search, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"tao"));
    ClickWindow(search);
    GUITHREADINFO focus{};
    focus.cbSize = sizeof focus;
    const DWORD thread = GetWindowThreadProcessId(main_, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetGUIThreadInfo(thread, &focus) && focus.hwndFocus == search; }));

    RECT client{};
    GetClientRect(main_, &client);
    ASSERT_TRUE(SendDpiChange(main_, 120, {client.right * 120 / 96, client.bottom * 120 / 96}));
    EXPECT_EQ(FindChildById(main_, kIdText11), search);
    EXPECT_EQ(WindowText(search), L"tao");
    EXPECT_EQ(SendMessageW(chrome, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(list_->SelectedRow(), 2);
    EXPECT_EQ(list_->RowCount(), 4);
    EXPECT_TRUE(GetGUIThreadInfo(thread, &focus) && focus.hwndFocus == search);
    // At 120 dpi Windows' icon sizes, 32 and 16 at 96, are 40 and 20.
    const SIZE big = IconSize(main_, ICON_BIG);
    const SIZE smallIcon = IconSize(main_, ICON_SMALL);
    EXPECT_TRUE(big.cx == 40 && big.cy == 40) << big.cx << " x " << big.cy;
    EXPECT_TRUE(smallIcon.cx == 20 && smallIcon.cy == 20) << smallIcon.cx << " x " << smallIcon.cy;
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
