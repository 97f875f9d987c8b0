// One watch tick over a large vault: read (from a fake browser), decode, split, normalise and
// look the address up among 10,000 records, as every second while a browser is watched. No
// drawing. Budget: well under 2 ms a tick. The same lookup decides a credential key's press.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "autofill/browser_watch.h"
#include "autofill/credential_typer.h"
#include "autofill/percent_decode.h"
#include "base/url.h"

#include "bench_random.h"

namespace tf {
namespace {

constexpr int kRecords = 10000;

using bench::Random;

const char* const kHosts[] = {"weibo.com",    "pan.baidu.com", "taobao.com", "jd.com",       "mail.qq.com",
                              "mail.163.com", "alipay.com",    "boc.cn",     "cmbchina.com", "ctrip.com"};

const RecordGrid& Grid() {
    static const RecordGrid grid = [] {
        Random random(20240607);
        std::vector<LoginRecord> records(kRecords);
        for (LoginRecord& r : records) {
            r[kSiteName] = "site";
            r[kLoginUrl] = "http://" + std::string(kHosts[random.Next() % std::size(kHosts)]) +
                           "/login/中文?from=" + random.Ascii(6);
            r[kAccount] = random.Ascii(8);
            r[kPassword] = random.Ascii(12);
        }
        RecordGrid g;
        g.FillGrid(records);
        return g;
    }();
    return grid;
}

// The address of a record in the middle, without its "http://" and with its Chinese escaped as
// a browser shows it.
std::string PageAddress() {
    std::string url = Grid().Cell(kFirstRecordRow + kRecords / 2, kLoginUrl).substr(7);
    const std::size_t at = url.find("中文");
    return url.replace(at, std::string("中文").size(), "%D6%D0%CE%C4");
}

class StaticBrowser : public BrowserWindows {
public:
    explicit StaticBrowser(std::string address) : address_(std::move(address)) {}
    std::optional<std::string> ReadIEVersion() override { return "11.0.9600"; }
    std::optional<std::string> ReadIEClassic(bool) override { return address_; }
    std::string ReadIEAddressBand() override { return address_; }
    std::string ReadChrome() override { return address_; }
    std::string ReadOpera16() override { return address_; }
    DdeReply DdeRequest(const std::string&, const std::string&, const std::string&) override {
        return {DdeReply::kText, "\"" + address_ + "\",\"title\""};
    }
    std::string ReadIEManual() override { return address_; }

private:
    std::string address_;
};

void BM_WatchTick(benchmark::State& state, Browser browser) {
    const RecordGrid& grid = Grid();
    // Chrome shows the address without a scheme; Internet Explorer with https.
    StaticBrowser windows(browser == Browser::kChrome ? PageAddress() : "https://" + PageAddress());
    AddressReader reader(windows);
    BrowserWatch watch;
    watch.BoxClicked(browser, true);
    for (auto _ : state) {
        watch.Tick(reader, grid);
        benchmark::DoNotOptimize(watch.Slots());
    }
    if (watch.Slots().Text1.empty()) state.SkipWithError("the page's record was not found");
    state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK_CAPTURE(BM_WatchTick, Chrome, Browser::kChrome)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WatchTick, InternetExplorer, Browser::kIE)->Unit(benchmark::kMicrosecond);

// The decision at a credential key's press: the page read at that moment looked up again among
// all records. It runs once per press, before anything is typed.
void BM_PlanPress(benchmark::State& state) {
    const RecordGrid& grid = Grid();
    const ForegroundPage page{ForegroundPage::kPage, PageAddress()};
    for (auto _ : state) {
        PressPlan plan = PlanPress(2, Browser::kChrome, page, grid);
        benchmark::DoNotOptimize(plan);
        if (plan.verdict != PressVerdict::kType) state.SkipWithError("the page's record was not found");
    }
}
BENCHMARK(BM_PlanPress)->Unit(benchmark::kMicrosecond);

void BM_ParseUrl(benchmark::State& state) {
    const std::string address = "https://" + PageAddress() + "#top";
    for (auto _ : state) benchmark::DoNotOptimize(ParseUrl(address));
}
BENCHMARK(BM_ParseUrl);

void BM_DecodePercent(benchmark::State& state) {
    const std::string address = "https://" + PageAddress() + "&q=a%20b%2Fc";
    for (auto _ : state) benchmark::DoNotOptimize(DecodePercent(address));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(address.size()));
}
BENCHMARK(BM_DecodePercent);

}  // namespace
}  // namespace tf

BENCHMARK_MAIN();
