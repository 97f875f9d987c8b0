#include "base/utf8.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(Utf8, RoundTripsEverySequenceLength) {
    const std::u32string text(U"a\0\u00e9\u07ff\u0800\u4e2d\uffff\U00010000\U0001F600\U0010FFFF", 10);
    EXPECT_EQ(Utf8ToCodePoints(CodePointsToUtf8(text)), text);
    EXPECT_EQ(CodePointsToUtf8(U"\u4e2d\U0001F600"), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
    // What UTF-8 cannot hold becomes U+FFFD.
    EXPECT_EQ(CodePointsToUtf8(std::u32string{char32_t{0xD800}, char32_t{0x110000}}), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, MalformedBytesBecomeOneReplacementEach) {
    const std::pair<std::string, std::u32string> cases[] = {
        {"a\x80z", U"a\uFFFDz"},                            // stray continuation
        {"a\xE4\xB8", U"a\uFFFD\uFFFD"},                    // cut short at the end
        {"\xE4\xB8z", U"\uFFFD\uFFFDz"},                    // cut short before ASCII
        {"\xC0\xAF", U"\uFFFD\uFFFD"},                      // overlong
        {"\xE0\x80\xAF", U"\uFFFD\uFFFD\uFFFD"},            // overlong
        {"\xE0\x82\xA9", U"\uFFFD\uFFFD\uFFFD"},            // overlong, of a value that needs two bytes
        {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},            // a surrogate
        {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xFF", U"\uFFFD"},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        EXPECT_EQ(Utf8ToCodePoints(bytes), expected);
    }
}

}  // namespace
}  // namespace tf
