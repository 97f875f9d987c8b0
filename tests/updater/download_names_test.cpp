#include "updater/download_names.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(NumberedName, PutsTheNumberBeforeTheExtensionOfTheFileOnly) {
    const struct {
        const char* path;
        int n;
        const char* numbered;
    } cases[] = {
        {"C:\\dir\\setup.exe", 2, "C:\\dir\\setup(2).exe"},
        {"C:\\a.b\\file", 1, "C:\\a.b\\file(1)"},
        {"C:\\dir\\archive.tar.gz", 1, "C:\\dir\\archive.tar(1).gz"},
        {"C:\\dir\\.hidden", 3, "C:\\dir\\(3).hidden"},
        {"C:\\dir\\", 1, "C:\\dir\\(1)"},
        {"C:\\dir\\Tamborvin Form.exe", 32767, "C:\\dir\\Tamborvin Form(32767).exe"},
        {"setup.exe", 1, ""},
        {"C:/dir/setup.exe", 1, ""},
        {"   ", 1, ""},
        {"", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(NumberedName(c.path, c.n), c.numbered);
    }
}

TEST(NormalizeUrl, AddsTheSchemeOnlyWhereItIsMissing) {
    const std::pair<const char*, const char*> cases[] = {
        {"host/setup.exe", "http://host/setup.exe"},
        {"http://host/a", "http://host/a"},
        {"  HTTP://host/a", "  HTTP://host/a"},  // kept as it stands, blanks included
        {" host", "http:// host"},
        {"https://host/a", "https://host/a"},
        {" HTTPS://host/a", " HTTPS://host/a"},
        {"ftp://host/a", "ftp://host/a"},
        {"host:8080/a", "http://host:8080/a"},
        {"http:/", "http://http:/"},
        {"", "http://"},
    };
    for (const auto& [url, normalized] : cases) {
        SCOPED_TRACE(url);
        EXPECT_EQ(NormalizeUrl(url), normalized);
    }
}

// The digits were taken from the shell's own function (checked again by the Windows tests).
TEST(FormatByteSize, CutsToThreeDigitsAndMovesUpFromAThousand) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 bytes"},          {1023, "1023 bytes"},    {1024, "1.00 KB"},          {1126, "1.09 KB"},
        {1127, "1.10 KB"},       {10239, "9.99 KB"},      {10240, "10.0 KB"},         {102399, "99.9 KB"},
        {1022975, "998 KB"},     {1022976, "999 KB"},     {1047040, "0.99 MB"},  // a thousand KB and more counts in MB
        {1048576, "1.00 MB"},    {5000000, "4.76 MB"},    {123456789, "117 MB"},      {2147483647, "1.99 GB"},
        {2147483648, "2.00 GB"}, {5368709120, "5.00 GB"}, {1099511627776, "1.00 TB"}, {1ull << 60, "1.00 EB"},
        {UINT64_MAX, "15.9 EB"},
    };
    for (const auto& [bytes, text] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(FormatByteSize(bytes), text);
    }
}

TEST(ToAnsi, WritesCodePage936WithQuestionMarksForTheRest) {
    EXPECT_EQ(ToAnsi("http://h/a b"), "http://h/a b");
    EXPECT_EQ(ToAnsi("安装"), "\xB0\xB2\xD7\xB0");
    EXPECT_EQ(ToAnsi("x😀y"), "x?y");
}

TEST(ResponseHeaders, ValuesAndRangesAreReadAsServersWriteThem) {
    const std::string headers =
        "HTTP/1.1 206 Partial Content\r\ncontent-length:  42 \r\nContent-Range: bytes 10-51/52\r\nX: a:b\r\n\r\n";
    EXPECT_EQ(HeaderValue(headers, "Content-Length"), "42");
    EXPECT_EQ(HeaderValue(headers, "x"), "a:b");
    EXPECT_EQ(HeaderValue(headers, "Content-Type"), std::nullopt);
    EXPECT_EQ(HeaderValue("Content-Length: 7\nOther: 1", "content-length"), "7");

    EXPECT_EQ(ParseByteCount(" 5368709120 "), 5368709120u);
    for (const char* bad : {"", "-1", "1e3", "12a", "18446744073709551616"}) EXPECT_FALSE(ParseByteCount(bad)) << bad;

    auto range = ParseContentRange("bytes 10-51/52");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 10u);
    EXPECT_EQ(range->total, 52u);
    range = ParseContentRange("bytes */3221225472");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, std::nullopt);
    EXPECT_EQ(range->total, 3221225472u);
    range = ParseContentRange("bytes 0-9/*");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->total, std::nullopt);
    EXPECT_EQ(range->last, 9u);
    for (const char* bad : {"", "bytes", "items 0-1/2", "bytes 5-1/9", "bytes 1/9", "bytes 0-1/x", "bytes 0-9/9"}) {
        EXPECT_FALSE(ParseContentRange(bad)) << bad;
    }
}

}  // namespace
}  // namespace tf
