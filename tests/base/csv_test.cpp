#include "base/csv.h"

#include <gtest/gtest.h>

namespace tf::csv {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string Utf16(std::u16string_view text, bool bigEnd) {
    std::string out = bigEnd ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEnd ? std::string{high, low} : std::string{low, high};
    }
    return out;
}

TEST(CsvRead, ReadsRfc4180InEveryEncodingAndLineEnd) {
    const struct {
        std::string bytes;
        Rows rows;
        std::vector<std::size_t> numbers;
    } cases[] = {
        {"a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"a,b\nc,d", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        {"a\rb\r", {{"a"}, {"b"}}, {1, 2}},
        // Quoted commas, doubled quotes and line breaks; the row with line breaks counts once.
        {"\"x,y\",\"say \"\"hi\"\"\",\"l1\r\nl2\nl3\"\nnext",
         {{"x,y", "say \"hi\"", "l1\r\nl2\nl3"}, {"next"}},
         {1, 2}},
        {"\"\",", {{"", ""}}, {1}},
        {"a,\n,\n", {{"a", ""}, {"", ""}}, {1, 2}},
        // Empty lines are left out but counted.
        {"a\n\n\r\nb\n", {{"a"}, {"b"}}, {1, 4}},
        {"\"\"\n", {{""}}, {1}},
        {"a,b\nc\nd,e,f\n", {{"a", "b"}, {"c"}, {"d", "e", "f"}}, {1, 2, 3}},  // ragged rows as they are
        {"", {}, {}},
        {"\xEF\xBB\xBF", {}, {}},
        {"\xEF\xBB\xBF名,b\r\n", {{"名", "b"}}, {1}},
        {"\xEF\xBB\xBF\xEF\xBB\xBF", {{"\xEF\xBB\xBF"}}, {1}},  // only the first mark is one
        {"\xEF\xBF\xBD", {{"\xEF\xBF\xBD"}}, {1}},              // a real U+FFFD is text
        {Utf16(u"名,\"a\r\nb\"\r\n😀\r\n", false), {{"名", "a\r\nb"}, {"😀"}}, {1, 2}},
        {Utf16(u"名,x\n", true), {{"名", "x"}}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        Error error;
        const auto rows = Read(c.bytes, error);
        ASSERT_TRUE(rows) << ErrorMessage(error);
        Rows fields;
        std::vector<std::size_t> numbers;
        for (const Row& row : *rows) {
            fields.push_back(row.fields);
            numbers.push_back(row.number);
        }
        EXPECT_EQ(fields, c.rows);
        EXPECT_EQ(numbers, c.numbers);
    }
}

TEST(CsvRead, RefusesBadInputWithItsRow) {
    const std::string longField(kMaxFieldBytes + 1, 'x');
    std::string wide;
    for (std::size_t i = 0; i <= kMaxFieldsPerRow; ++i) wide += ",";
    std::string manyFields;
    for (std::size_t i = 0; i * kMaxFieldsPerRow <= kMaxFields; ++i)
        manyFields += std::string(kMaxFieldsPerRow - 1, ',') + "\n";
    const struct {
        std::string bytes;
        ErrorKind kind;
        std::size_t row;
    } cases[] = {
        {"a\n\"abc", ErrorKind::kUnclosedQuote, 2},
        {"a\n\"x\nz\"y\n", ErrorKind::kStrayQuote, 2},
        {"a\"b\n", ErrorKind::kStrayQuote, 1},
        {"ok\n\"a\nb\"\n\xC3\x28\n", ErrorKind::kBadText, 3},
        {"\xC0\xAF", ErrorKind::kBadText, 1},            // overlong "/"
        {"x,\"\xED\xA0\x80\"", ErrorKind::kBadText, 1},  // a surrogate
        {"\xFF\xFE", ErrorKind::kNone, 0},
        {Utf16(u"a\n\xD800x\n", false), ErrorKind::kBadText, 2},  // a lone surrogate
        {Utf16(u"a\nb", true) + "\x01", ErrorKind::kBadText, 2},  // half a unit at the end
        {longField, ErrorKind::kFieldTooLarge, 1},
        {"a\n\"" + longField + "\"", ErrorKind::kFieldTooLarge, 2},
        {wide, ErrorKind::kTooManyFields, 1},
        {manyFields, ErrorKind::kTooManyFields, kMaxFields / kMaxFieldsPerRow + 1},
        {std::string(kMaxRows, '\n') + "x", ErrorKind::kTooManyRows, kMaxRows + 1},
        {std::string(kMaxFileBytes + 1, '\n'), ErrorKind::kFileTooLarge, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes.substr(0, 40)));
        Error error;
        const auto rows = Read(c.bytes, error);
        EXPECT_EQ(error.kind, c.kind);
        EXPECT_EQ(error.row, c.row);
        EXPECT_EQ(rows.has_value(), c.kind == ErrorKind::kNone);
    }
    // At the limits themselves all is read.
    Error error;
    EXPECT_TRUE(Read(std::string(kMaxFieldBytes, 'x') + "\n" + std::string(kMaxFieldsPerRow - 1, ','), error));
    EXPECT_TRUE(Read(std::string(kMaxRows, '\n'), error));
    EXPECT_EQ(ErrorMessage({ErrorKind::kStrayQuote, 2}), std::string("第 2 行：") + kMsgStrayQuote);
    EXPECT_EQ(ErrorMessage({ErrorKind::kFileTooLarge, 0}), kMsgFileTooLarge);
}

TEST(CsvWrite, QuotesOnlyWhatNeedsItAndReadsBack) {
    const std::vector<std::string_view> fields = {"a", "b,c", "q\"", " s", "t\t", "l\r\nm", "", "名"};
    std::string out;
    AppendRow(out, fields);
    EXPECT_EQ(out, "a,\"b,c\",\"q\"\"\",\" s\",\"t\t\",\"l\r\nm\",,名\r\n");
    Error error;
    const auto rows = Read(out, error);
    ASSERT_TRUE(rows && rows->size() == 1);
    EXPECT_EQ(rows->front().fields, std::vector<std::string>(fields.begin(), fields.end()));
}

}  // namespace
}  // namespace tf::csv
