// A test of the real "Tamborvin Form.exe": a scratch folder with the program in it, the program
// started there, its main window and record grid found as a user would see them.
#pragma once

#include "support/ui_driver_win.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "vault/login_record.h"

namespace tf::test {

inline constexpr wchar_t kProgram[] = L"Tamborvin Form.exe";
inline constexpr wchar_t kMainClass[] = L"TamborvinFormMain";
inline constexpr UINT kTrayMessage = WM_APP + 1;

// A record with every field filled; the search key is left as given.
LoginRecord SampleRecord(const std::string& site, const std::string& url, const std::string& account,
                         const std::string& password, const std::string& remark = "");
// The records with the row numbers a save gives them ("2" for the first).
std::vector<LoginRecord> Numbered(std::vector<LoginRecord> records);
// Four records with Chinese text, commas, quotes and a line break among their fields.
std::vector<LoginRecord> FourRecords();

class ProgramTest : public ::testing::Test {
protected:
    // Starts the program in the folder and waits for its main window and grid.
    void StartProgram();
    // Finds the main window after the program was started by hand (a message box came first).
    void FindMainWindow();
    // A control of the main window by its text.
    HWND Control(const std::wstring& text);
    // Exits through the "关闭" button and waits for the process to end.
    void ExitProgram();
    // The text of one grid column, row by row as shown.
    std::vector<std::wstring> Column(int column);

    ScratchFolder folder_;
    std::wstring exe_;
    std::unique_ptr<Process> program_;
    HWND main_ = nullptr;
    HWND grid_ = nullptr;
    std::unique_ptr<RemoteListView> list_;
};

}  // namespace tf::test
