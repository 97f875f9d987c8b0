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
    EXPECT_FALSE(fs.FileExists(path("a")));
    ASSERT_TRUE(fs.WriteNew(path("a"), bytes, error)) << error.description;
    ASSERT_TRUE(fs.WriteNew(path("b"), "a longer old content", error));
    ASSERT_TRUE(fs.WriteNew(path("b"), "new", error));
    EXPECT_EQ(fs.ReadAll(path("b"), error), "new");
    ASSERT_TRUE(fs.Replace(path("a"), path("b"), error)) << error.description;
    EXPECT_FALSE(fs.FileExists(path("a")));
    EXPECT_EQ(fs.ReadAll(path("b"), error), bytes);
    EXPECT_TRUE(fs.DeleteFile(path("b")));
    EXPECT_FALSE(fs.DeleteFile(path("b")));
    // An empty file exists; a folder is no file.
    ASSERT_TRUE(fs.WriteNew(path("empty"), "", error));
    EXPECT_TRUE(fs.FileExists(path("empty")));
    EXPECT_EQ(fs.ReadAll(path("empty"), error), "");
    EXPECT_FALSE(fs.FileExists(folder));
    EXPECT_EQ(fs.Length(path("empty")), 0u);
    EXPECT_FALSE(fs.Length(folder));
}

// What the download relies on: writers that keep a prefix and write on, renames that never replace.
inline void ExpectFileWriterContract(FileSystem& fs, const std::string& folder) {
    auto path = [&](const char* name) { return JoinPath(folder, name); };
    FileError error;
    EXPECT_FALSE(fs.Length(path("w")));
    auto writer = fs.OpenWriter(path("w"), 0, error);
    ASSERT_TRUE(writer) << error.description;
    ASSERT_TRUE(writer->Write("hello world", error));
    ASSERT_TRUE(writer->Commit(error)) << error.description;
    EXPECT_EQ(fs.Length(path("w")), 11u);
    writer = fs.OpenWriter(path("w"), 5, error);
    ASSERT_TRUE(writer) << error.description;
    ASSERT_TRUE(writer->Write("!", error));
    writer.reset();  // closed without a commit: what was written stays
    EXPECT_EQ(fs.ReadAll(path("w"), error), "hello!");

    EXPECT_FALSE(fs.OpenWriter(path("w"), 7, error));
    EXPECT_EQ(error.code, file_errors::kInputPastEnd);
    EXPECT_EQ(fs.ReadAll(path("w"), error), "hello!");
    EXPECT_FALSE(fs.OpenWriter(path("missing"), 1, error));
    EXPECT_FALSE(fs.FileExists(path("missing")));

    ASSERT_TRUE(fs.WriteNew(path("taken"), "t", error));
    EXPECT_FALSE(fs.Rename(path("w"), path("taken"), error));
    EXPECT_EQ(fs.ReadAll(path("taken"), error), "t");
    ASSERT_TRUE(fs.Rename(path("w"), path("moved"), error)) << error.description;
    EXPECT_FALSE(fs.FileExists(path("w")));
    EXPECT_EQ(fs.ReadAll(path("moved"), error), "hello!");
    // From 0 nothing of the old bytes stays: a server sent the whole file anew.
    ASSERT_TRUE(fs.OpenWriter(path("moved"), 0, error)) << error.description;
    EXPECT_EQ(fs.Length(path("moved")), 0u);

    // A file of many megabytes in uneven pieces, dropped without a commit part way and resumed at
    // an odd length (a download's data file): every byte lands where it belongs.
    std::string big(21 * 1024 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
    const std::size_t cut = 13 * 1024 * 1024 + 3;
    writer = fs.OpenWriter(path("big"), 0, error);
    ASSERT_TRUE(writer) << error.description;
    for (std::size_t at = 0, piece = 1; at < big.size(); at += piece, piece = piece * 3 % 1000003 + 1) {
        ASSERT_TRUE(writer->Write(std::string_view(big).substr(at, piece), error)) << error.description;
    }
    writer.reset();
    writer = fs.OpenWriter(path("big"), cut, error);
    ASSERT_TRUE(writer) << error.description;
    ASSERT_TRUE(writer->Write(std::string_view(big).substr(cut), error)) << error.description;
    ASSERT_TRUE(writer->Commit(error)) << error.description;
    const auto back = fs.ReadAll(path("big"), error);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == big) << "the file holds " << back->size() << " bytes, not the " << big.size() << " written";
}

}  // namespace tf::test
