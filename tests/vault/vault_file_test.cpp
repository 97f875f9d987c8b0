#include "vault/vault_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_file_system.h"

namespace tf {
namespace {

using testing::Crash;
using testing::FakeFileSystem;
using Files = std::map<std::string, std::string>;

const std::string kData = "/v/Data.db";
const std::string kTmp = "/v/tmp.db";
const std::string kBad = "/v/Data.db.bad";
const std::string kUnreadable = "\"250\",\"297\"\r\n";  // ends inside its record

std::vector<LoginRecord> Records(std::initializer_list<const char*> sites) {
    std::vector<LoginRecord> records;
    for (const char* site : sites) {
        LoginRecord& r = records.emplace_back();
        r[kLineNum] = std::to_string(records.size() + 1);
        r[kSiteName] = site;
        r[kPassword] = "密码😀";
    }
    return records;
}

// What a start of the program would load from these files.
struct Loaded {
    bool nothingRead;
    std::vector<LoginRecord> records;
    std::string message;
    bool operator==(const Loaded&) const = default;
};
Loaded Load(Files files, int failAt = -1) {
    FakeFileSystem fs;
    fs.files = std::move(files);
    fs.failAt = failAt;
    Loaded result{false, Records({"untouched"}), ""};
    result.nothingRead = VaultFile(fs, "/v").ReadDataFile(result.records, result.message);
    return result;
}

TEST(VaultFile, Read) {
    const std::string good = FormatVault(Records({"a"}));
    const std::pair<Loaded, Loaded> cases[] = {
        {Load({}), {true, Records({"untouched"}), ""}},
        {Load({{kData, ""}}), {false, {}, ""}},
        {Load({{kData, good}}), {false, Records({"a"}), ""}},
        {Load({{kData, kUnreadable}}),
         {true, Records({"untouched"}), "Failed to get data, code:62 Description:Input past end of file"}},
        {Load({{kData, good}}, 1),
         {true, Records({"untouched"}), "Failed to get data, code:57 Description:Device I/O error"}},
    };
    for (const auto& [loaded, expected] : cases) EXPECT_EQ(loaded, expected) << expected.message;
}

TEST(VaultFile, SaveWritesTmpThenReplacesInOneStep) {
    FakeFileSystem fs;
    fs.files = {{kData, FormatVault(Records({"old"}))}, {kTmp, "stale"}};
    VaultFile vault(fs, "/v");
    std::vector<LoginRecord> records;
    std::string message;
    ASSERT_FALSE(vault.ReadDataFile(records, message));
    records = Records({"a", "中文"});
    fs.calls.clear();
    EXPECT_FALSE(vault.WriteDataFile(records, message));
    EXPECT_EQ(message, "");
    EXPECT_EQ(fs.calls, (std::vector<std::string>{"FileExists(" + kTmp + ")", "DeleteFile(" + kTmp + ")",
                                                  "WriteNew(" + kTmp + ")", "Replace(" + kTmp + "," + kData + ")"}));
    EXPECT_EQ(fs.files, (Files{{kData, FormatVault(records)}}));
    // Reloading and saving again writes the same bytes, the first record numbered "2".
    ASSERT_FALSE(vault.ReadDataFile(records, message));
    ASSERT_FALSE(vault.WriteDataFile(records, message));
    EXPECT_EQ(fs.files[kData], FormatVault(Records({"a", "中文"})));
    EXPECT_EQ(fs.files[kData].substr(0, 5), "\"250\"");
}

TEST(VaultFile, SaveFailureLeavesDataAndReports) {
    FakeFileSystem fs;
    fs.files = {{kData, "old"}};
    fs.failAt = 1;  // WriteNew
    std::string message;
    EXPECT_TRUE(VaultFile(fs, "/v").WriteDataFile(Records({"a"}), message));
    EXPECT_EQ(message, "Failed to save the data, code:61 Description:Disk full");
    EXPECT_EQ(fs.files[kData], "old");
}

TEST(VaultFile, SavingNoRecordsDeletesBothFilesOrReportsTheOneThatStays) {
    FakeFileSystem fs;
    fs.files = {{kData, "old"}, {kTmp, "stale"}};
    std::string message;
    EXPECT_FALSE(VaultFile(fs, "/v").WriteDataFile({}, message));
    EXPECT_TRUE(fs.files.empty());
    // Another program holds Data.db open: its records would come back at the next start.
    fs.files = {{kData, "old"}};
    fs.calls.clear();
    fs.failAt = 2;  // FileExists(tmp), DeleteFile(tmp), DeleteFile(Data.db)
    EXPECT_TRUE(VaultFile(fs, "/v").WriteDataFile({}, message));
    EXPECT_EQ(fs.calls[2], "DeleteFile(" + kData + ")");
    EXPECT_EQ(message, "Failed to save the data, code:70 Description:Permission denied");
    EXPECT_EQ(fs.files, (Files{{kData, "old"}}));
}

TEST(VaultFile, RunningOutOfMemoryWhileLoadingIsAFailedLoad) {
    FakeFileSystem fs;
    fs.outOfMemory = true;
    fs.files = {{kData, FormatVault(Records({"a"}))}};
    VaultFile vault(fs, "/v");
    std::vector<LoginRecord> records = Records({"untouched"});
    std::string message;
    EXPECT_TRUE(vault.ReadDataFile(records, message));
    EXPECT_EQ(message, "Failed to get data, code:7 Description:Out of memory");
    EXPECT_EQ(records, Records({"untouched"}));
    // A caller that could not take the records in fails the load the same way; both keep the
    // file aside before a save.
    EXPECT_EQ(vault.LoadFailedOutOfMemory(), message);
    EXPECT_FALSE(vault.WriteDataFile(Records({"new"}), message));
    EXPECT_EQ(vault.KeptBadFile(), kBad);
}

TEST(VaultFile, UnreadableVaultIsKeptAsideOnceBeforeASave) {
    struct Case {
        Files taken;  // names already in use
        std::string kept;
        std::vector<LoginRecord> records;
        int failedCheck = -1;  // a FileExists call of the save that fails
    };
    const Case cases[] = {
        {{}, kBad, Records({"new"})},
        {{{kBad, "older"}}, kBad + "1", Records({"new"})},
        {{{kBad, "older"}, {kBad + "1", "older"}}, kBad + "2", Records({"new"})},
        {{}, kBad, {}},
        // The existence check of "Data.db.bad" fails by mistake: the move refuses to replace it.
        {{{kBad, "older"}}, kBad + "1", Records({"new"}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kept);
        FakeFileSystem fs;
        fs.files = c.taken;
        fs.files[kData] = kUnreadable;
        VaultFile vault(fs, "/v");
        std::vector<LoginRecord> records;
        std::string message;
        ASSERT_TRUE(vault.ReadDataFile(records, message));
        if (c.failedCheck >= 0) fs.failAt = static_cast<int>(fs.calls.size()) + c.failedCheck;
        EXPECT_FALSE(vault.WriteDataFile(c.records, message));
        fs.failAt = -1;
        EXPECT_EQ(vault.KeptBadFile(), c.kept);
        // The user is told where, once.
        EXPECT_EQ(vault.TakeKeptNotice(), "The vault file that could not be read was kept as \"" + c.kept + "\".");
        EXPECT_EQ(vault.TakeKeptNotice(), "");
        Files expected = c.taken;
        expected[c.kept] = kUnreadable;
        if (!c.records.empty()) expected[kData] = FormatVault(c.records);
        EXPECT_EQ(fs.files, expected);
        EXPECT_FALSE(vault.WriteDataFile(c.records, message));
        EXPECT_EQ(fs.files, expected);
    }
}

TEST(VaultFile, SaveFailsWhenTheUnreadableVaultCannotBeKept) {
    FakeFileSystem fs;
    fs.files = {{kData, kUnreadable}};
    VaultFile vault(fs, "/v");
    std::vector<LoginRecord> records;
    std::string message;
    ASSERT_TRUE(vault.ReadDataFile(records, message));
    fs.failAt = static_cast<int>(fs.calls.size()) + 1;  // FileExists(Data.db.bad), then the move
    EXPECT_TRUE(vault.WriteDataFile(Records({"new"}), message));
    EXPECT_EQ(message, "Failed to save the data, code:70 Description:Permission denied");
    EXPECT_EQ(fs.files, (Files{{kData, kUnreadable}}));
}

// A save interrupted at each of its file system calls in turn, by a failure it sees or by a
// stop of the whole program: the next start loads the old vault or the new one, never neither,
// and what could not be read is never lost.
struct Interruption {
    const char* name;
    Files before;
    std::vector<LoginRecord> records;
};
void PrintTo(const Interruption& c, std::ostream* os) { *os << c.name; }

class SaveInterrupted : public ::testing::TestWithParam<Interruption> {};

TEST_P(SaveInterrupted, LeavesTheOldOrTheNewVault) {
    const Interruption& c = GetParam();
    const bool unreadable = c.before.count(kData) && c.before.at(kData) == kUnreadable;
    const Loaded old = Load(c.before);
    const Loaded saved = c.records.empty() ? Load({}) : Load({{kData, FormatVault(c.records)}});
    for (bool crash : {false, true}) {
        for (int step = 0;; ++step) {
            SCOPED_TRACE((crash ? "crash at call " : "failure of call ") + std::to_string(step));
            FakeFileSystem fs;
            fs.files = c.before;
            VaultFile vault(fs, "/v");
            std::vector<LoginRecord> records;
            std::string message;
            vault.ReadDataFile(records, message);
            const int interrupted = static_cast<int>(fs.calls.size()) + step;
            (crash ? fs.crashAt : fs.failAt) = interrupted;
            bool failed = false, crashed = false;
            try {
                failed = vault.WriteDataFile(c.records, message);
            } catch (const Crash&) {
                crashed = true;
            }
            const Loaded after = Load(fs.files);
            // An unreadable vault kept aside leaves no Data.db until the new one is in place.
            EXPECT_TRUE(after == old || after == saved || (unreadable && after == Load({})));
            // A save that reports no failure stored the new vault.
            EXPECT_TRUE(failed || crashed || after == saved);
            EXPECT_EQ(message.rfind("Failed to save the data, code:", 0), failed ? 0u : std::string::npos);
            if (unreadable) {
                EXPECT_TRUE(std::any_of(fs.files.begin(), fs.files.end(),
                                        [](const auto& file) { return file.second == kUnreadable; }));
            }
            if (static_cast<int>(fs.calls.size()) <= interrupted) break;  // it ran to its end
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    VaultFile, SaveInterrupted,
    ::testing::Values(Interruption{"OverOldVault", {{kData, FormatVault(Records({"old"}))}}, Records({"new", "中文"})},
                      Interruption{"FirstSave", {}, Records({"new"})},
                      Interruption{
                          "WithStaleTmp", {{kData, FormatVault(Records({"old"}))}, {kTmp, "x"}}, Records({"new"})},
                      Interruption{"OfNoRecords", {{kData, FormatVault(Records({"old"}))}, {kTmp, "x"}}, {}},
                      Interruption{"OverUnreadableVault", {{kData, kUnreadable}}, Records({"new"})}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tf

namespace tf {
namespace {

constexpr KdfParams kSmall{64, 1, 1};

// What the next start finds in "Data.db" with this password.
std::optional<std::vector<LoginRecord>> OpenWith(const Files& files, std::string_view password) {
    OpenedVault opened = OpenVault(files.at(kData), password);
    FileError error;
    if (opened.status != OpenStatus::kOpened) return std::nullopt;
    return ParseVault(opened.inner, error);
}

TEST(VaultFile, ProtectedVaultLivesThroughSavesPasswordChangesAndUnprotect) {
    FakeFileSystem fs;
    fs.files = {{kData, FormatVault(Records({"a"}))}};
    VaultFile vault(fs, "/v");
    std::string message;
    ASSERT_FALSE(vault.Protect(Records({"a"}), "pw", kSmall, message)) << message;
    EXPECT_EQ(OpenWith(fs.files, "pw"), Records({"a"}));

    // The next start: locked until the password opens it. A prompt cancelled, then a save of the
    // empty list, must not delete or replace it.
    VaultFile next(fs, "/v");
    EXPECT_EQ(next.Probe(), DataFileKind::kProtected);
    const Files locked = fs.files;
    EXPECT_TRUE(next.WriteDataFile({}, message));
    EXPECT_EQ(message,
              "Failed to save the data, code:70 Description:The protected vault file was not opened with "
              "its password");
    EXPECT_TRUE(next.Unprotect({}, message));
    EXPECT_EQ(fs.files, locked);
    std::vector<LoginRecord> records;
    EXPECT_EQ(next.Unlock("PW", records).message, "Password is incorrect, please re-enter");
    ASSERT_EQ(next.Unlock("pw", records).status, OpenStatus::kOpened);
    EXPECT_EQ(records, Records({"a"}));

    // Saves keep the key: same salt, the file opens with the same password; no records is a
    // protected file holding none.
    for (const auto& list : {Records({"a", "b"}), std::vector<LoginRecord>{}}) {
        ASSERT_FALSE(next.WriteDataFile(list, message)) << message;
        EXPECT_EQ(OpenWith(fs.files, "pw"), list);
    }
    // A wrong old password changes nothing; a right one gives a new salt, and the old password no
    // longer opens the file.
    const Files before = fs.files;
    EXPECT_TRUE(next.ChangePassword(Records({"c"}), "nope", "new", kSmall, message));
    EXPECT_EQ(message, "Old password is incorrect!");
    EXPECT_EQ(fs.files, before);
    ASSERT_FALSE(next.ChangePassword(Records({"c"}), "pw", "new", kSmall, message)) << message;
    EXPECT_EQ(OpenWith(fs.files, "new"), Records({"c"}));
    EXPECT_FALSE(OpenWith(fs.files, "pw"));
    EXPECT_NE(fs.files[kData].substr(0, 60), before.at(kData).substr(0, 60));

    // Unprotected, the file is exactly the plain vault again.
    ASSERT_FALSE(next.Unprotect(Records({"c"}), message)) << message;
    EXPECT_EQ(fs.files, (Files{{kData, FormatVault(Records({"c"}))}}));
}

TEST(VaultFile, FailedPasswordChangeKeepsTheOldFileAndKey) {
    FakeFileSystem fs;
    VaultFile vault(fs, "/v");
    std::string message;
    ASSERT_FALSE(vault.Protect(Records({"a"}), "old", kSmall, message)) << message;
    for (int step : {1, 2}) {  // the new file's write, its replacing of "Data.db"
        SCOPED_TRACE(step);
        const auto saved = Records({std::to_string(step).c_str()});
        ASSERT_FALSE(vault.WriteDataFile(saved, message)) << message;
        fs.calls.clear();
        fs.failAt = step;
        EXPECT_TRUE(vault.ChangePassword(Records({"b"}), "old", "new", kSmall, message));
        fs.failAt = -1;
        EXPECT_EQ(OpenWith(fs.files, "old"), saved);
        // Later saves still use the old key.
        ASSERT_FALSE(vault.WriteDataFile(Records({"c"}), message)) << message;
        EXPECT_EQ(OpenWith(fs.files, "old"), Records({"c"}));
    }
}

// Reading without the password (the load of a plain vault) neither loads nor unlocks a protected
// one, and keeps it from being replaced; a damaged one is kept aside before the first save.
TEST(VaultFile, PlainLoadOfAProtectedVaultLocksIt) {
    FakeFileSystem fs;
    std::string message;
    ASSERT_FALSE(VaultFile(fs, "/v").Protect(Records({"a"}), "pw", kSmall, message));
    const Files kept = fs.files;
    VaultFile vault(fs, "/v");
    std::vector<LoginRecord> records;
    EXPECT_TRUE(vault.ReadDataFile(records, message));
    EXPECT_EQ(message,
              "Failed to get data, code:321 Description:The vault file is protected: it opens only with "
              "its password");
    EXPECT_TRUE(vault.IsLocked());
    EXPECT_TRUE(vault.WriteDataFile(Records({"b"}), message));
    EXPECT_EQ(fs.files, kept);
}

}  // namespace
}  // namespace tf
