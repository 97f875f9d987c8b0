// How long the import's preview takes to come up over a browser's export of ten thousand logins in
// the real program under Wine: from the file dialog's OK until the preview is shown and its list
// drawn (the file read and planned against a thousand records on the way). Prints only; run by
// bench/wine_bench.sh.
#include "support/program_test_win.h"

#include <commctrl.h>
#include <dlgs.h>

#include <cstdio>

#include "records/import_preview_win.h"
#include "vault/vault_file.h"

namespace tf::test {
namespace {

using ImportPreviewBench = ProgramTest;

TEST_F(ImportPreviewBench, PreviewOfTenThousandRows) {
    constexpr int kRecords = 1000;
    constexpr int kRows = 10000;
    std::vector<LoginRecord> records;
    for (int i = 0; i < kRecords; ++i) {
        const std::string n = std::to_string(i);
        records.push_back(SampleRecord("站点" + n, "https://site" + n + ".example.cn/login", "用户" + n, "pw" + n));
    }
    folder_.Write(L"Data.db", FormatVault(Numbered(records)));
    // A third of the rows already there, a third with another password, a third new.
    std::string csv = "name,url,username,password\r\n";
    for (int i = 0; i < kRows; ++i) {
        const std::string n = std::to_string(i % (kRecords * 3 / 2));
        csv += "站点" + n + ",https://site" + n + ".example.cn/login,用户" + n + ",pw" + (i % 3 ? n : n + "x") + "\r\n";
    }
    folder_.Write(L"export.csv", csv);

    StartProgram();
    PostCommand(Control(L"Import..."));
    HWND dialog = program_->WaitForMessageBox();
    ASSERT_NE(dialog, nullptr);
    HWND name = FindChildById(dialog, cmb13, 2s);
    while (name && ClassOf(name) != L"Edit") name = GetWindow(name, GW_CHILD);
    if (!name) name = FindChildById(dialog, edt1, 2s);
    ASSERT_NE(name, nullptr);
    const std::wstring path = folder_.File(L"export.csv");
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));

    LARGE_INTEGER frequency, start, shown, drawn;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    HWND preview = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        for (HWND w : program_->TopWindows(kImportPreviewClass)) {
            if (IsWindowVisible(w)) preview = w;
        }
        if (preview) break;
        Sleep(1);
    }
    QueryPerformanceCounter(&shown);
    ASSERT_NE(preview, nullptr);
    HWND list = FindChildById(preview, kIdPreviewList);
    RedrawWindow(list, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    QueryPerformanceCounter(&drawn);
    auto ms = [&](const LARGE_INTEGER& t) {
        return 1000.0 * double(t.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    };
    std::printf("Import preview of %d rows against %d records: shown after %.1f ms, list drawn after %.1f ms\n", kRows,
                kRecords, ms(shown), ms(drawn));
    EXPECT_EQ(RemoteListView(list).RowCount(), kRows);
    PostMessageW(preview, WM_CLOSE, 0, 0);
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
