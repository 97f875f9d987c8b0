#include "updater/release_info.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

ReleaseFields Prefilled() { return {"t1", "t2", "desc", "sz", "ver", "n", "h", "sig"}; }

TEST(ApplyReleaseDescription, AssignsTheFieldsPresentAndKeepsTheOthers) {
    struct Case {
        const char* body;
        ReleaseFields want;
    };
    const Case cases[] = {
        {"http://h/f.exe|Tamborvin Form.exe|new build|1.2 MB|v1.1",
         {"http://h/f.exe", "Tamborvin Form.exe", "new build", "1.2 MB", "v1.1", "n", "h", "sig"}},
        // A line end after the last field belongs to it.
        {"a|b|c|d|v1.1\r\n", {"a", "b", "c", "d", "v1.1\r\n", "n", "h", "sig"}},
        // Fewer fields: the version label keeps the whole text.
        {"a|b|c", {"a", "b", "c", "sz", "a|b|c", "n", "h", "sig"}},
        {"just text", {"just text", "t2", "desc", "sz", "just text", "n", "h", "sig"}},
        {"", {"t1", "t2", "desc", "sz", "", "n", "h", "sig"}},
        // Empty fields are fields.
        {"||||", {"", "", "", "", "", "n", "h", "sig"}},
        // Size, hash and signature follow; further fields are ignored.
        {"a|b|c|d|e|12|ab|cd\n|x", {"a", "b", "c", "d", "e", "12", "ab", "cd\n"}},
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
        EXPECT_EQ(fields.bytes, c.want.bytes);
        EXPECT_EQ(fields.sha256, c.want.sha256);
        EXPECT_EQ(fields.signature, c.want.signature);
    }
}

TEST(IsPlainFileName, RefusesAnythingThatLeavesTheFolderOrNamesADevice) {
    for (const char* good :
         {"Tamborvin Form.exe", "setup(1).exe", "a.b.c", "新版.exe", "x", "console.exe", "COM10", "nul-free.exe"}) {
        EXPECT_TRUE(IsPlainFileName(good)) << good;
    }
    for (const char* bad : {"",
                            ".",
                            "..",
                            "..\\Tamborvin Form.exe",
                            "../x.exe",
                            "C:x.exe",
                            "C:\\Windows\\x.exe",
                            "sub\\x.exe",
                            "sub/x.exe",
                            "a..exe",
                            "x.exe\r\n",
                            "\\\\host\\share\\x",
                            "NUL",
                            "nul.exe",
                            "nul.tar.gz",
                            "CON.x.exe",
                            "Con",
                            "AUX.txt",
                            "prn",
                            "COM1",
                            "com9.exe",
                            "LPT3",
                            "CONIN$",
                            "x.exe.",
                            "x.exe ",
                            "a<b",
                            "a>b",
                            "a\"b",
                            "a?b",
                            "a*b",
                            "a|b"}) {
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    }
    EXPECT_FALSE(IsPlainFileName(std::string(256, 'a')));
}

TEST(SamePath, ComparesWithoutLetterCaseAsWindowsDoes) {
    EXPECT_TRUE(SamePath("C:\\App\\Tamborvin Form.exe", "c:\\app\\TAMBORVIN FORM.EXE"));
    EXPECT_TRUE(SamePath("C:\\Prögram\\Ѐя.exe", "c:/PRÖGRAM/ѐЯ.EXE"));
    EXPECT_FALSE(SamePath("C:\\app\\a.exe", "C:\\app\\a.exe.old"));
    EXPECT_FALSE(SamePath("C:\\app\\新.exe", "C:\\app\\旧.exe"));
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

}  // namespace
}  // namespace tf
