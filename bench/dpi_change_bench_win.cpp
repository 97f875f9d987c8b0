// How long the main window takes to lay itself out again when moved onto a monitor of another
// scaling, over ten thousand records in the real program under Wine: from WM_DPICHANGED sent until
// handled, less what sending a message from inside the program costs by itself. Prints only; run by
// bench/wine_bench.sh.
#include "support/dpi_change_win.h"
#include "support/program_test_win.h"

#include <cstdio>

#include "vault/vault_file.h"

namespace tf::test {
namespace {

using DpiChangeBench = ProgramTest;

double Milliseconds(const std::function<void()>& run) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    run();
    QueryPerformanceCounter(&end);
    return 1000.0 * double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

TEST_F(DpiChangeBench, MainWindowOverTenThousandRecords) {
    std::vector<LoginRecord> records;
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        records.push_back(SampleRecord("站点" + n, "https://site" + n + ".example.cn/login", "用户" + n, "pw" + n));
    }
    folder_.Write(L"Data.db", FormatVault(Numbered(records)));
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 10000; }, 30s));
    RECT client{};
    GetClientRect(main_, &client);
    // A probe call that does nothing but run, for the cost of the way in.
    double alone = 1e9;
    for (int i = 0; i < 5; ++i)
        alone = std::min(alone, Milliseconds([&] { RunProbe(main_, "FontHeightOf", &main_, sizeof main_); }));
    // 128 rather than 144: on the 1280 x 1024 screen the window would shrink to fit at 144.
    for (const int dpi : {128, 96, 120, 96}) {
        const SIZE size{MulDiv(client.right, dpi, 96), MulDiv(client.bottom, dpi, 96)};
        const double ms = Milliseconds([&] { ASSERT_TRUE(SendDpiChange(main_, dpi, size)); });
        std::printf("Main window laid out again at %d dpi over 10000 records: %.1f ms\n", dpi, ms - alone);
    }
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
