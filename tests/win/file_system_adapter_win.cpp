// The Win32 NativeFileSystem: what the vault's save and load rely on, in a folder whose name is
// not in the machine's code page.
#include <gtest/gtest.h>

#include <thread>

#include "base/file_system.h"
#include "common/file_system_contract.h"
#include "base/windows_api_win.h"
#include "vault/vault_file.h"

namespace tf {
namespace {

class FileSystemAdapter : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder_ = Narrow(temp) + "tf-fs-" + std::to_string(GetCurrentProcessId()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-密码 库";
        ASSERT_TRUE(CreateDirectoryW(Widen(folder_).c_str(), nullptr)) << GetLastError();
    }
    void TearDown() override {
        WIN32_FIND_DATAW found{};
        HANDLE find = FindFirstFileW(Widen(Path("*")).c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW(Widen(JoinPath(folder_, Narrow(found.cFileName))).c_str());
            } while (FindNextFileW(find, &found));
            FindClose(find);
        }
        RemoveDirectoryW(Widen(folder_).c_str());
    }
    std::string Path(const char* name) const { return JoinPath(folder_, name); }
    // A handle held open the way another program might hold the file.
    HANDLE Hold(const char* name, DWORD share) {
        return CreateFileW(Widen(Path(name)).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    std::string folder_;
    FileSystem& fs_ = NativeFileSystem();
    FileError error_;
};

TEST_F(FileSystemAdapter, WriteReadReplaceRemove) {
    EXPECT_EQ(JoinPath("C:\\a", "Data.db"), "C:\\a\\Data.db");
    test::ExpectFileSystemContract(fs_, folder_);
}

TEST_F(FileSystemAdapter, WritersKeepAPrefixAndRenamesNeverReplace) {
    test::ExpectFileWriterContract(fs_, folder_);
    // The writer holds its file without sharing, as the data file of a download is held.
    FileError error;
    auto writer = fs_.OpenWriter(Path("held"), 0, error);
    ASSERT_TRUE(writer);
    EXPECT_FALSE(fs_.OpenWriter(Path("held"), 0, error));
    EXPECT_EQ(error.code, 70);
}

TEST_F(FileSystemAdapter, FailuresCarryRuntimeErrors) {
    EXPECT_FALSE(fs_.ReadAll(Path("missing"), error_));
    EXPECT_EQ(error_.code, 53);
    EXPECT_EQ(error_.description, "File not found");
    EXPECT_FALSE(fs_.Replace(Path("missing"), Path("other"), error_));
    EXPECT_EQ(error_.code, 53);
    EXPECT_FALSE(fs_.WriteNew(Path("no-such-folder\\x"), "x", error_));
    EXPECT_EQ(error_.code, 76);

    ASSERT_TRUE(fs_.WriteNew(Path("Data.db"), "old", error_));
    ASSERT_TRUE(fs_.WriteNew(Path("tmp.db"), "new", error_));
    HANDLE held = Hold("Data.db", FILE_SHARE_READ);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs_.Replace(Path("tmp.db"), Path("Data.db"), error_));
    EXPECT_EQ(error_.code, 70);
    EXPECT_FALSE(fs_.WriteNew(Path("Data.db"), "y", error_));
    EXPECT_EQ(error_.code, 70);
    CloseHandle(held);
    held = Hold("Data.db", 0);
    EXPECT_FALSE(fs_.ReadAll(Path("Data.db"), error_));
    EXPECT_EQ(error_.code, 70);
    CloseHandle(held);
    EXPECT_EQ(fs_.ReadAll(Path("Data.db"), error_), "old");

    // A reader that lets go within a moment (an indexer, a virus scanner) delays the save, not fails it.
    held = Hold("Data.db", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([held] {
        Sleep(200);
        CloseHandle(held);
    });
    EXPECT_TRUE(fs_.Replace(Path("tmp.db"), Path("Data.db"), error_)) << error_.description;
    release.join();
    EXPECT_EQ(fs_.ReadAll(Path("Data.db"), error_), "new");
}

TEST_F(FileSystemAdapter, VaultSavesAndLoads) {
    std::vector<LoginRecord> records(2);
    records[0][kLineNum] = "2";
    records[0][kSiteName] = "百度";
    records[0][kPassword] = "p,\"w😀";
    records[1][kLineNum] = "3";
    VaultFile vault(fs_, folder_);
    std::string message;
    ASSERT_TRUE(fs_.WriteNew(vault.TmpPath(), "stale", error_));
    ASSERT_FALSE(vault.WriteDataFile(records, message)) << message;
    EXPECT_FALSE(fs_.FileExists(vault.TmpPath()));
    std::vector<LoginRecord> loaded;
    ASSERT_FALSE(VaultFile(fs_, folder_).ReadDataFile(loaded, message)) << message;
    EXPECT_EQ(loaded, records);
    ASSERT_FALSE(vault.WriteDataFile({}, message));
    EXPECT_FALSE(fs_.FileExists(vault.DataPath()));
}

TEST_F(FileSystemAdapter, UnreadableVaultIsKeptBeforeASave) {
    ASSERT_TRUE(fs_.WriteNew(Path("Data.db"), "\"250\"", error_));
    ASSERT_TRUE(fs_.WriteNew(Path("Data.db.bad"), "older", error_));
    VaultFile vault(fs_, folder_);
    std::vector<LoginRecord> records;
    std::string message;
    ASSERT_TRUE(vault.ReadDataFile(records, message));
    EXPECT_EQ(message, "Failed to get data, code:62 Description:Input past end of file");
    ASSERT_FALSE(vault.WriteDataFile(std::vector<LoginRecord>(1), message)) << message;
    EXPECT_EQ(vault.KeptBadFile(), Path("Data.db.bad1"));
    EXPECT_EQ(fs_.ReadAll(Path("Data.db.bad1"), error_), "\"250\"");
    EXPECT_EQ(fs_.ReadAll(Path("Data.db.bad"), error_), "older");
}

}  // namespace
}  // namespace tf
