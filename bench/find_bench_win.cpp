// How long Find takes over ten thousand records in the real program under Wine, until the
// matching rows are listed and drawn. Prints only; run by bench/wine_bench.sh.
#include "support/program_test_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "records/pinyin.h"
#include "vault/vault_file.h"

namespace tf::test {
namespace {

using FindBench = ProgramTest;

// Ten thousand records of Chinese sites, addresses and accounts; prints how long Find takes to
// show the matching rows.
TEST_F(FindBench, FindOverTenThousandRecords) {
    const char* const sites[] = {"中国银行", "工商银行", "淘宝",     "京东商城", "新浪微博",
                                 "百度网盘", "腾讯视频", "网易邮箱", "携程旅行", "支付宝"};
    const char* const hosts[] = {"boc", "icbc", "taobao", "jd", "weibo", "pan", "v", "mail", "ctrip", "alipay"};
    const char* const people[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨磊", "赵敏"};
    std::vector<LoginRecord> records;
    constexpr int kCount = 10000;
    for (int i = 0; i < kCount; ++i) {
        const std::string n = std::to_string(i);
        const std::string site = std::string(sites[i % 10]) + n;
        LoginRecord r = SampleRecord(site, std::string("http://") + hosts[i % 10] + ".example.cn/用户/登录?号=" + n,
                                     std::string(people[i % 7]) + n, "密码" + n, "备注 " + n);
        r[kCoding] = GetPinyinCode(site);
        records.push_back(std::move(r));
    }
    folder_.Write(L"Data.db", FormatVault(Numbered(records)));
    const std::wstring query = L"银行";
    const auto shown = static_cast<int>(std::count_if(records.begin(), records.end(), [&](const LoginRecord& r) {
        for (int c : {kSiteName, kLoginUrl, kAccount, kCoding}) {
            if (r[c].find(Narrow(query)) != std::string::npos) return true;
        }
        return false;
    }));

    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == kCount; }, 60s));
    HWND search = FindChild(main_, WC_EDITW, L"You can press the front three fuzzy query");
    ASSERT_NE(search, nullptr);
    FocusControl(search);
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(search); }));
    TypeText(query);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(search) == query; })) << Narrow(WindowText(search));

    LARGE_INTEGER frequency, start, listed, painted;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PostCommand(Control(L"Find"));
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (list_->RowCount() != shown && std::chrono::steady_clock::now() < deadline) Sleep(1);
    QueryPerformanceCounter(&listed);
    ASSERT_EQ(list_->RowCount(), shown);
    // The rows on screen drawn anew.
    RedrawWindow(grid_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    QueryPerformanceCounter(&painted);
    auto ms = [&](const LARGE_INTEGER& t) {
        return 1000.0 * double(t.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    };
    std::printf("Find over %d records (%d shown): listed after %.1f ms, drawn after %.1f ms\n", kCount, shown,
                ms(listed), ms(painted));
    EXPECT_EQ(list_->Text(0, 1), L"中国银行0");
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
