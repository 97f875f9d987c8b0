// What the vault's save and load rely on from a file system, checked against each platform's own.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/file_system.h"

namespace tf::test {

// `folder` is an empty folder the test may fill.
inline void ExpectFileSystemContract(FileSystem& fs, const std::string& folder) {
    auto path = [&](const char* name) { return JoinPath(folder, name); };
    FileError error;
    const std::string bytes("x\0y\r\n中", 8);
    EXPECT_FALSE(fs.Exists(path("a")));
    ASSERT_TRUE(fs.WriteNew(path("a"), bytes, error)) << error.description;
    ASSERT_TRUE(fs.WriteNew(path("b"), "a longer old content", error));
    ASSERT_TRUE(fs.WriteNew(path("b"), "new", error));
    EXPECT_EQ(fs.ReadAll(path("b"), error), "new");
    ASSERT_TRUE(fs.Replace(path("a"), path("b"), error)) << error.description;
    EXPECT_FALSE(fs.Exists(path("a")));
    EXPECT_EQ(fs.ReadAll(path("b"), error), bytes);
    EXPECT_TRUE(fs.Remove(path("b")));
    EXPECT_FALSE(fs.Remove(path("b")));
    // An empty file exists; a folder is no file.
    ASSERT_TRUE(fs.WriteNew(path("empty"), "", error));
    EXPECT_TRUE(fs.Exists(path("empty")));
    EXPECT_EQ(fs.ReadAll(path("empty"), error), "");
    EXPECT_FALSE(fs.Exists(folder));
}

}  // namespace tf::test
