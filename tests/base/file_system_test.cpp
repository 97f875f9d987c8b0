#include "base/file_system.h"
#include "common/file_system_contract.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace tf {
namespace {

TEST(JoinPath, AddsOneSeparator) {
    EXPECT_EQ(JoinPath("/a/b", "Data.db"), "/a/b/Data.db");
    EXPECT_EQ(JoinPath("/a/b/", "Data.db"), "/a/b/Data.db");
    EXPECT_EQ(JoinPath("", "Data.db"), "Data.db");
}

class PosixFileSystem : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() /
            ("tf-fs-" + std::to_string(::getpid()) + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const char* name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
    FileSystem& fs_ = NativeFileSystem();
    FileError error_;
};

TEST_F(PosixFileSystem, WriteReadReplaceRemove) { test::ExpectFileSystemContract(fs_, dir_.string()); }

TEST_F(PosixFileSystem, WritersKeepAPrefixAndRenamesNeverReplace) {
    test::ExpectFileWriterContract(fs_, dir_.string());
}

TEST_F(PosixFileSystem, FailuresCarryRuntimeErrors) {
    EXPECT_FALSE(fs_.ReadAll(Path("missing"), error_));
    EXPECT_EQ(error_.code, 53);
    EXPECT_EQ(error_.description, "File not found");
    EXPECT_FALSE(fs_.Replace(Path("missing"), Path("other"), error_));
    EXPECT_EQ(error_.code, 53);
    EXPECT_FALSE(fs_.WriteNew(Path("no-such-folder/x"), "x", error_));
    EXPECT_EQ(error_.code, 76);
    EXPECT_EQ(error_.description, "Path not found");
}

}  // namespace
}  // namespace tf
