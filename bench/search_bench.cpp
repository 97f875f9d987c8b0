// The searches over a large vault: 10,000 records of the kind people keep (Chinese site names with
// their pinyin keys, addresses, accounts). The address lookup runs every second and should take
// well under 1 ms; the quick search well under 20 ms.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "records/pinyin.h"
#include "records/record_grid.h"
#include "records/record_search.h"

#include "bench_random.h"

namespace tf {
namespace {

constexpr int kRecords = 10000;

using bench::Random;

const char* const kSites[] = {"新浪微博", "百度网盘", "淘宝网",   "京东商城", "腾讯QQ邮箱", "网易163邮箱",
                              "支付宝",   "中国银行", "招商银行", "携程旅行", "豆瓣",       "知乎",
                              "哔哩哔哩", "优酷视频", "爱奇艺",   "当当网",   "苏宁易购",   "12306铁路"};

const RecordGrid& Grid() {
    static const RecordGrid grid = [] {
        const char* const hosts[] = {"weibo.com",    "pan.baidu.com", "taobao.com", "jd.com",       "mail.qq.com",
                                     "mail.163.com", "alipay.com",    "boc.cn",     "cmbchina.com", "ctrip.com"};
        Random random;
        std::vector<LoginRecord> records(kRecords);
        for (LoginRecord& r : records) {
            r[kSiteName] = std::string(random.Pick(kSites)) + std::to_string(random.Next() % 7);
            r[kLoginUrl] = "http://" + std::string(random.Pick(hosts)) + "/login?from=" + random.Ascii(6);
            r[kAccount] = random.Ascii(6 + static_cast<int>(random.Next() % 8));
            r[kPassword] = random.Ascii(12);
            r[kMailbox] = r[kAccount] + "@163.com";
            r[kCoding] = GetPinyinCode(r[kSiteName]);
        }
        RecordGrid g;
        g.FillGrid(records);
        return g;
    }();
    return grid;
}

void BM_FilterGrid(benchmark::State& state) {
    RecordGrid grid = Grid();
    const char* const texts[] = {"bj", "wyx", "zfb", "qq"};
    std::size_t i = 0;
    for (auto _ : state) {
        FilterGrid(grid, texts[i++ % std::size(texts)]);
        benchmark::DoNotOptimize(grid);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_FilterGrid)->Unit(benchmark::kMillisecond);

// A search text with "?" takes the character-by-character route.
void BM_FilterGridWildcard(benchmark::State& state) {
    RecordGrid grid = Grid();
    for (auto _ : state) {
        FilterGrid(grid, "b?w");
        benchmark::DoNotOptimize(grid);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_FilterGridWildcard)->Unit(benchmark::kMillisecond);

void BM_FindAccounts(benchmark::State& state, bool hit) {
    const RecordGrid& grid = Grid();
    const std::string address =
        hit ? grid.Cell(kFirstRecordRow + kRecords / 2, kLoginUrl) : "http://weibo.com/login?from=nothere";
    for (auto _ : state) benchmark::DoNotOptimize(FindAccounts(grid, address));
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK_CAPTURE(BM_FindAccounts, Hit, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FindAccounts, Miss, false)->Unit(benchmark::kMicrosecond);

void BM_GetPinyinCode(benchmark::State& state) {
    std::string names;
    for (const char* site : kSites) names += site;
    for (auto _ : state) benchmark::DoNotOptimize(GetPinyinCode(names));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(names.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(kSites)));
}
BENCHMARK(BM_GetPinyinCode);

}  // namespace
}  // namespace tf

BENCHMARK_MAIN();
