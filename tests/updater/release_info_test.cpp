#include "updater/release_info.h"

#include <gtest/gtest.h>

#include "updater/fake_download_world.h"
#include "updater/replacement.h"

namespace tf {
namespace {

ReleaseFields Prefilled() { return {"t1", "t2", "desc", "sz", "ver", "sig"}; }

TEST(ApplyReleaseDescription, AssignsTheFieldsPresentAndKeepsTheOthers) {
    struct Case {
        const char* body;
        ReleaseFields want;
    };
    const Case cases[] = {
        {"http://h/f.exe|Tamborvin Form.exe|new build|1.2 MB|v1.1",
         {"http://h/f.exe", "Tamborvin Form.exe", "new build", "1.2 MB", "v1.1", "sig"}},
        // A line end after the last field belongs to it.
        {"a|b|c|d|v1.1\r\n", {"a", "b", "c", "d", "v1.1\r\n", "sig"}},
        // Fewer fields: the version label keeps the whole text.
        {"a|b|c", {"a", "b", "c", "sz", "a|b|c", "sig"}},
        {"just text", {"just text", "t2", "desc", "sz", "just text", "sig"}},
        {"", {"t1", "t2", "desc", "sz", "", "sig"}},
        // Empty fields are fields.
        {"||||", {"", "", "", "", "", "sig"}},
        // The sixth field is the signature; further ones are ignored.
        {"a|b|c|d|e|abcd\n|x", {"a", "b", "c", "d", "e", "abcd\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        ReleaseFields fields = Prefilled();
        ApplyReleaseDescription(c.body, fields);
        EXPECT_EQ(fields.Text1, c.want.Text1);
        EXPECT_EQ(fields.Text2, c.want.Text2);
        EXPECT_EQ(fields.shuoming, c.want.shuoming);
        EXPECT_EQ(fields.size, c.want.size);
        EXPECT_EQ(fields.v, c.want.v);
        EXPECT_EQ(fields.signature, c.want.signature);
    }
}

TEST(IsPlainFileName, RefusesAnythingThatLeavesTheFolder) {
    for (const char* good : {"Tamborvin Form.exe", "setup(1).exe", "a.b.c", "新版.exe", "x"}) {
        EXPECT_TRUE(IsPlainFileName(good)) << good;
    }
    for (const char* bad : {"", ".", "..", "..\\Tamborvin Form.exe", "../x.exe", "C:x.exe", "C:\\Windows\\x.exe",
                            "sub\\x.exe", "sub/x.exe", "a..exe", "x.exe\r\n", "\\\\host\\share\\x"}) {
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    }
}

TEST(UpdaterTexts, PercentStatusAndSavePath) {
    EXPECT_EQ(PercentLabel(12.5), "12.50%");
    EXPECT_EQ(PercentLabel(0), "0.00%");
    EXPECT_EQ(PercentLabel(100), "100.00%");
    EXPECT_EQ(PercentLabel(33.333f), "33.33%");
    EXPECT_EQ(StatusText(1), "发送请求...");
    EXPECT_EQ(StatusText(8), "发送请求失败");
    EXPECT_EQ(StatusText(9), "下载完毕");
    EXPECT_EQ(StatusText(10), "保存路径出错");
    EXPECT_EQ(StatusText(0), "");
    EXPECT_EQ(StatusText(11), "");
    EXPECT_EQ(SavePath("C:\\app", "Tamborvin Form.exe"), "C:\\app\\Tamborvin Form.exe");
    EXPECT_EQ(SavePath("C:\\app", ""), "C:\\app\\");
}

TEST(AnsiToUtf8, DecodesCodePage936) {
    EXPECT_EQ(AnsiToUtf8("abc|1.2 MB"), "abc|1.2 MB");
    EXPECT_EQ(AnsiToUtf8("\xD0\xC2\xB0\xE6"), "新版");
    // A lead byte at the very end has no trail.
    EXPECT_EQ(AnsiToUtf8("a\xD0"), "a?");
}

TEST(ParseSignature, TakesExactly64BytesOfHex) {
    const std::string hex(128, 'a');
    auto bytes = ParseSignature(hex + "\r\n");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 64u);
    EXPECT_EQ((*bytes)[0], 0xaa);
    EXPECT_TRUE(ParseSignature(std::string(128, 'F')));
    EXPECT_FALSE(ParseSignature(""));
    EXPECT_FALSE(ParseSignature(std::string(126, 'a')));
    EXPECT_FALSE(ParseSignature(std::string(130, 'a')));
    EXPECT_FALSE(ParseSignature(std::string(127, 'a') + "g"));
}

class ReplacementTest : public ::testing::Test {
protected:
    testing::MemoryFiles files_;
    const std::string main_ = "C:\\app\\Tamborvin Form.exe";
    const std::string old_ = main_ + ".old";
    Replacement replacement_{files_, main_};
};

TEST_F(ReplacementTest, RestoresTheOldProgramWhenNoNewOneArrived) {
    files_.files[main_] = "old";
    files_.files[old_] = "older leftover";
    ASSERT_TRUE(replacement_.MoveAside());
    EXPECT_FALSE(files_.FileExists(main_));
    EXPECT_EQ(files_.files[old_], "old");
    replacement_.Restore();
    EXPECT_EQ(files_.files[main_], "old");
    EXPECT_FALSE(files_.FileExists(old_));
    // Nothing is aside any more: a second restore changes nothing.
    files_.files.erase(main_);
    replacement_.Restore();
    EXPECT_FALSE(files_.FileExists(main_));
}

TEST_F(ReplacementTest, CommitDropsTheOldCopyAndRestoreKeepsANewProgram) {
    files_.files[main_] = "old";
    ASSERT_TRUE(replacement_.MoveAside());
    files_.files[main_] = "new";
    replacement_.Restore();
    EXPECT_EQ(files_.files[main_], "new");

    ASSERT_TRUE(replacement_.MoveAside());
    files_.files[main_] = "newer";
    replacement_.Commit();
    EXPECT_EQ(files_.files[main_], "newer");
    EXPECT_FALSE(files_.FileExists(old_));
}

TEST_F(ReplacementTest, NoMainProgramIsNothingToMove) {
    EXPECT_TRUE(replacement_.MoveAside());
    EXPECT_FALSE(replacement_.Aside());
    replacement_.Restore();
    EXPECT_TRUE(files_.files.empty());
}

}  // namespace
}  // namespace tf
