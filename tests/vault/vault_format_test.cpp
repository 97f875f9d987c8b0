#include <gtest/gtest.h>

#include "vault/vault_file.h"

namespace tf {
namespace {

// One line of ten quoted fields holding these encoded texts.
std::string Line(std::vector<std::string> encoded, const char* end = "\r\n") {
    encoded.resize(kRecordFieldCount);
    std::string line;
    for (std::size_t i = 0; i < encoded.size(); ++i) line += (i ? ",\"" : "\"") + encoded[i] + "\"";
    return line + end;
}

TEST(FormatVault, WritesQuotedEncodedFieldsAndCrLf) {
    LoginRecord a, b;
    a[kLineNum] = "2";
    a[kSiteName] = "a";
    for (int f = 0; f < kRecordFieldCount; ++f) b[f] = "中";
    EXPECT_EQ(FormatVault({}), "");
    EXPECT_EQ(FormatVault({a, b}), "\"250\",\"297\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n" +
                                       Line(std::vector<std::string>(kRecordFieldCount, "6-10544")));
    b[kPassword] = "p,\"w\r\n😀";
    FileError error;
    EXPECT_EQ(ParseVault(FormatVault({a, b, LoginRecord{}}), error), (std::vector<LoginRecord>{a, b, LoginRecord{}}));
}

// The runtime's sequential input: ten fields a record whatever the line ends; the end of the
// data before a record's last field is error 62.
TEST(ParseVault, ReadsRecordsLikeTheRuntime) {
    const std::string a = Line({"250", "297"});
    const std::pair<std::string, int> cases[] = {
        // bytes, records (-1: error 62)
        {"", 0},
        {a, 1},
        {Line({"250"}, ""), 1},                                                         // no final line end
        {Line({"250"}, "\n") + Line({"250"}, "\r"), 2},                                 // lone LF, lone CR
        {Line({"250"}, ",") + Line({"250"}, ""), 2},                                    // all on one line
        {"\"250\"\r\n\"297\"\n\"\"\r\"\"\r\n\"\",\"\",\"\"\r\n\"\",\"\",\"\"\r\n", 1},  // split across lines
        {a + "\"250\",\"297\"\r\n", -1},                                                // last record truncated
        {a + "\"250\",\"29", -1},
        {a + "\r\n", -1},  // a blank line after the last record
        {a + "  ", -1},
    };
    for (const auto& [bytes, count] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        FileError error;
        auto parsed = ParseVault(bytes, error);
        if (count < 0) {
            ASSERT_FALSE(parsed);
            EXPECT_EQ(error.code, 62);
            EXPECT_EQ(error.description, "Input past end of file");
        } else {
            ASSERT_TRUE(parsed);
            EXPECT_EQ(static_cast<int>(parsed->size()), count);
        }
    }
}

TEST(ParseVault, FieldSyntax) {
    struct Case {
        std::string firstFields;  // eight empty quoted fields follow
        std::string lineNum, siteName;
    };
    const Case cases[] = {
        {"\"250\",\"297\"", "2", "a"},
        {"  \t\"250\", \t \"297\"", "2", "a"},  // leading blanks skipped
        {"  250  ,\t297 \t", "2", "a"},         // unquoted, trailing blanks trimmed
        {"\"250\"xyz,\"297\"  ", "2", "a"},     // text after a closing quote dropped
        {",297", "", "a"},                      // empty unquoted
        {"\"x12\",\"297\"", "", "a"},           // a damaged field loads empty, the rest normally
        {"\"250\",\"2970\"", "2", ""},
        {"\"2,50\",\"297\"", "", "a"},  // a quoted comma is field text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstFields);
        FileError error;
        auto parsed = ParseVault(c.firstFields + ",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n", error);
        ASSERT_TRUE(parsed);
        ASSERT_EQ(parsed->size(), 1u);
        EXPECT_EQ((*parsed)[0][kLineNum], c.lineNum);
        EXPECT_EQ((*parsed)[0][kSiteName], c.siteName);
    }
}

TEST(ParseVault, HasNoSixteenBitRecordLimit) {
    std::vector<LoginRecord> records(40000);
    for (std::size_t i = 0; i < records.size(); ++i) records[i][kSiteName] = "site" + std::to_string(i);
    FileError error;
    auto parsed = ParseVault(FormatVault(records), error);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, records);
}

}  // namespace
}  // namespace tf
