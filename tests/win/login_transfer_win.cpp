// Import and export in the real "Tamborvin Form.exe": the system's file dialogs, the preview, the
// vault and the file written.
#include "support/program_test_win.h"

#include <commctrl.h>

#include "records/import_preview_win.h"
#include "records/login_import.h"
#include "vault/vault_file.h"

namespace tf::test {
namespace {

class LoginTransferTest : public ProgramTest {
protected:
    // The next dialog box of the program (a message box or a file dialog) once `gone` has closed.
    HWND NextDialog(HWND gone = nullptr) {
        if (gone) WaitUntil([&] { return !IsWindow(gone); });
        return program_->WaitForMessageBox();
    }
    HWND OpenPreview(const std::wstring& file) {
        PostCommand(Control(L"Import..."));
        if (!ChooseFileInDialog(NextDialog(), folder_.File(file))) return nullptr;
        return program_->WaitForTopWindow(kImportPreviewClass);
    }
};

TEST_F(LoginTransferTest, ImportShowsThePlanChangesNothingOnCancelAndKeepsTheRowsOnOk) {
    const std::string vault = FormatVault(Numbered({SampleRecord("bank", "https://bank.example/", "me", "old")}));
    folder_.Write(L"Data.db", vault);
    folder_.Write(L"chrome.csv",
                  "name,url,username,password\r\n"
                  "bank,https://bank.example/,me,new-secret\r\n"
                  "mail,https://mail.example/login,bob,mail-secret\r\n"
                  "app,android://com.example,me,app-secret\r\n");
    StartProgram();

    HWND preview = OpenPreview(L"chrome.csv");
    ASSERT_NE(preview, nullptr) << "no preview";
    RemoteListView rows(FindChildById(preview, kIdPreviewList));
    ASSERT_EQ(rows.RowCount(), 3);
    EXPECT_EQ(rows.Text(0, 1), L"更新密码");
    EXPECT_EQ(rows.Text(1, 1), L"添加");
    EXPECT_EQ(rows.Text(1, 2), L"mail");
    EXPECT_EQ(rows.Text(1, 4), L"bob");
    EXPECT_EQ(rows.Text(2, 0), L"4");
    EXPECT_EQ(rows.Text(2, 1), L"无法导入");
    for (const auto& row : rows.Rows()) {
        for (const std::wstring& cell : row) EXPECT_EQ(cell.find(L"secret"), std::wstring::npos) << Narrow(cell);
    }
    EXPECT_EQ(WindowText(FindChildById(preview, kIdPreviewTotals)).rfind(L"添加 1 条，已存在 0 条，更新密码 1 条", 0),
              0u);
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the preview is not modal";

    // Escape is Cancel: nothing changes.
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(preview); }));
    ASSERT_TRUE(SendAndWait(main_, WM_NULL));
    EXPECT_EQ(list_->RowCount(), 1);
    EXPECT_EQ(folder_.Read(L"Data.db"), vault);

    // OK, but the save fails (another program holds tmp.db): the list is as it was.
    HANDLE held = CreateFileW(folder_.File(L"tmp.db").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    preview = OpenPreview(L"chrome.csv");
    ASSERT_NE(preview, nullptr);
    PostMessageW(GetDlgItem(preview, IDOK), BM_CLICK, 0, 0);
    HWND failed = NextDialog(preview);
    ASSERT_NE(failed, nullptr) << "the failed save was not reported";
    EXPECT_NE(MessageBoxText(failed).find(L"Description"), std::wstring::npos);
    AnswerMessageBox(failed, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(failed); }));
    ASSERT_TRUE(SendAndWait(main_, WM_NULL));
    EXPECT_EQ(list_->RowCount(), 1);
    EXPECT_EQ(list_->Text(0, 4), L"old");
    CloseHandle(held);

    // Enter is OK, wherever the focus is in the window.
    preview = OpenPreview(L"chrome.csv");
    ASSERT_NE(preview, nullptr);
    FocusControl(FindChildById(preview, kIdPreviewList));
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 2; })) << "the grid did not take the rows";
    EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"bank", L"mail"}));
    ASSERT_TRUE(WaitUntil([&] { return folder_.Read(L"Data.db") != vault; })) << "not saved";

    ExitProgram();
    StartProgram();
    EXPECT_EQ(Column(1), (std::vector<std::wstring>{L"bank", L"mail"}));
    EXPECT_EQ(list_->Text(0, 4), L"new-secret");
    EXPECT_EQ(list_->Text(1, 4), L"mail-secret");
}

TEST_F(LoginTransferTest, ExportWarnsThenWritesTheFileWhole) {
    const auto records = FourRecords();
    folder_.Write(L"Data.db", FormatVault(records));
    StartProgram();

    PostCommand(Control(L"Export..."));
    HWND warning = NextDialog();
    ASSERT_NE(warning, nullptr);
    EXPECT_NE(MessageBoxText(warning).find(L"不受保护"), std::wstring::npos);
    AnswerMessageBox(warning, IDOK);
    HWND dialog = NextDialog(warning);
    ASSERT_TRUE(ChooseFileInDialog(dialog, folder_.File(L"out.csv")));
    HWND done = NextDialog();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(MessageBoxText(done), L"已导出 4 条记录。");
    AnswerMessageBox(done, IDOK);

    EXPECT_EQ(folder_.Read(L"out.csv"), ExportLoginsCsv(Numbered(records)));
    for (const std::wstring& name : folder_.FileNames())
        EXPECT_EQ(name.find(L".tmp"), std::wstring::npos) << Narrow(name);
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
