// Loading and saving a large vault: 10,000 records of the kind people keep (Chinese site names
// and remarks, addresses, accounts, passwords). Each should take well under 100 ms. Protected, a
// save keeps the key (no derivation) and should take within 1.5 times a plain one; the unlock at
// the default costs of this machine is measured apart.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file_system.h"
#include "vault/protected_vault.h"
#include "vault/vault_file.h"

#include "bench_random.h"

namespace tf {
namespace {

constexpr int kRecords = 10000;

using bench::Random;

std::vector<LoginRecord> MakeRecords() {
    const char* const sites[] = {"新浪微博", "百度网盘", "淘宝网",   "京东商城", "腾讯QQ邮箱", "网易163邮箱",
                                 "支付宝",   "中国银行", "招商银行", "携程旅行", "豆瓣",       "知乎",
                                 "哔哩哔哩", "优酷视频", "爱奇艺",   "当当网",   "苏宁易购",   "12306铁路"};
    const char* const hosts[] = {"weibo.com",    "pan.baidu.com", "taobao.com", "jd.com",       "mail.qq.com",
                                 "mail.163.com", "alipay.com",    "boc.cn",     "cmbchina.com", "ctrip.com"};
    const char* const remarks[] = {"",
                                   "工作用的账号",
                                   "家里共用，记得每三个月改一次密码",
                                   "绑定了手机和邮箱",
                                   "old account, do not use",
                                   "安全问题的答案见笔记本第二页"};
    const char* const questions[] = {"", "我的小学叫什么名字？", "母亲的生日", "第一只宠物的名字"};
    static const char kLower[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static const char kPasswordChars[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789!@#$%^&*_-+=";
    Random random;
    std::vector<LoginRecord> records(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        LoginRecord& r = records[static_cast<std::size_t>(i)];
        r[kLineNum] = std::to_string(i + 2);
        r[kSiteName] = std::string(random.Pick(sites)) + std::to_string(i % 7);
        r[kLoginUrl] = "http://" + std::string(random.Pick(hosts)) + "/login?from=" + random.Ascii(6, kLower);
        r[kAccount] = random.Ascii(6 + static_cast<int>(random.Next() % 8), kLower);
        r[kPassword] = random.Ascii(10 + static_cast<int>(random.Next() % 10), kPasswordChars);
        r[kMailbox] = r[kAccount] + "@163.com";
        r[kQuestion] = random.Pick(questions);
        r[kAnswer] = r[kQuestion].empty() ? "" : "北京市海淀区";
        r[kRemark] = random.Pick(remarks);
        r[kCoding] = "xlwb" + std::to_string(i % 7);
    }
    return records;
}

const std::vector<LoginRecord>& Records() {
    static const std::vector<LoginRecord> records = MakeRecords();
    return records;
}

const std::string& Bytes() {
    static const std::string bytes = FormatVault(Records());
    return bytes;
}

class TempFolder {
public:
    TempFolder() : path_(std::filesystem::temp_directory_path() / "tf-vault-bench") {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

void BM_FormatVault(benchmark::State& state) {
    const auto& records = Records();
    for (auto _ : state) benchmark::DoNotOptimize(FormatVault(records));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Bytes().size()));
}
BENCHMARK(BM_FormatVault)->Unit(benchmark::kMillisecond);

void BM_ParseVault(benchmark::State& state) {
    const std::string& bytes = Bytes();
    for (auto _ : state) {
        FileError error;
        auto records = ParseVault(bytes, error);
        if (!records || records->size() != kRecords) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ParseVault)->Unit(benchmark::kMillisecond);

void BM_ReadDataFile(benchmark::State& state) {
    TempFolder folder;
    VaultFile vault(NativeFileSystem(), folder.str());
    std::string message;
    if (vault.WriteDataFile(Records(), message)) state.SkipWithError(message.c_str());
    for (auto _ : state) {
        std::vector<LoginRecord> records;
        if (vault.ReadDataFile(records, message) || records.size() != kRecords) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Bytes().size()));
}
BENCHMARK(BM_ReadDataFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Includes flushing the new file and the rename to the disk, as every real save does.
void BM_WriteDataFile(benchmark::State& state) {
    TempFolder folder;
    VaultFile vault(NativeFileSystem(), folder.str());
    std::string message;
    for (auto _ : state) {
        if (vault.WriteDataFile(Records(), message)) state.SkipWithError(message.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Bytes().size()));
}
BENCHMARK(BM_WriteDataFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Loads with the smallest costs, so that what is measured is reading, decrypting and parsing.
constexpr KdfParams kCheap{8, 1, 1};

void BM_WriteDataFileProtected(benchmark::State& state) {
    TempFolder folder;
    VaultFile vault(NativeFileSystem(), folder.str());
    std::string message;
    if (vault.Protect({}, "password", kCheap, message)) state.SkipWithError(message.c_str());
    for (auto _ : state) {
        if (vault.WriteDataFile(Records(), message)) state.SkipWithError(message.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Bytes().size()));
}
BENCHMARK(BM_WriteDataFileProtected)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UnlockProtected(benchmark::State& state) {
    TempFolder folder;
    std::string message;
    if (VaultFile(NativeFileSystem(), folder.str()).Protect(Records(), "password", kCheap, message)) {
        state.SkipWithError(message.c_str());
    }
    for (auto _ : state) {
        VaultFile vault(NativeFileSystem(), folder.str());
        std::vector<LoginRecord> records;
        if (vault.Unlock("password", records).status != OpenStatus::kOpened || records.size() != kRecords) {
            state.SkipWithError("unlock failed");
        }
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Bytes().size()));
}
BENCHMARK(BM_UnlockProtected)->Unit(benchmark::kMillisecond)->UseRealTime();

// The derivation of an unlock at the costs CalibrateKdf picks here (shown as counters).
void BM_UnlockKeyAtDefaultCosts(benchmark::State& state) {
    static const KdfParams params = CalibrateKdf();
    const std::vector<std::uint8_t> salt(kdf_limits::kNewSalt, 7);
    for (auto _ : state) {
        if (!DeriveVaultKey("password", params, salt)) state.SkipWithError("derivation failed");
    }
    state.counters["MiB"] = params.memoryKib / 1024.0;
    state.counters["passes"] = params.passes;
}
BENCHMARK(BM_UnlockKeyAtDefaultCosts)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace tf

BENCHMARK_MAIN();
