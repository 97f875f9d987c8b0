#include "autofill/percent_decode.h"

#include <gtest/gtest.h>

#include <string>

namespace tf {
namespace {

using namespace std::string_literals;

TEST(DecodePercent, DecodesEscapesTheWayTheProgramAlwaysHas) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"http://intranet/login", "http://intranet/login"},
        {"http://中文/路径?q=1", "http://中文/路径?q=1"},
        {"%41", "A"},
        {"a%20b", "a b"},
        {"%41%42c", "ABc"},
        {"a%7Fbcdef", "a\177bcdef"},  // 0x7F is still a single byte: nothing after it is a trail
        {"%7e%7E", "~~"},
        {"%2541", "%41"},    // decoded once only
        {"100%", "100\0"s},  // a "%" at the very end gives character 0
        {"%4", "\x04"},
        {"%4zq", "\x04q"},  // the leading hex digit counts and both characters are skipped
        {"%zzx", "\0x"s},
        {"%%41",
         "\0"s
         "1"},
        {"%中文x", "\0x"s},
        {"%D6%D0", "中"},
        {"%d6%d0", "中"},
        {"%B1%B1%BE%A9/%C4%E3%BA%C3", "北京/你好"},
        {"%D6xD0", "中"},   // the character between the two escapes is not looked at
        {"%D6中D0", "中"},  // positions count characters, not bytes
        {"中%20文%D6%D0", "中 文中"},
        {"%D6%zz", "\uFFFD"},  // the trail reads as 0: no such character
        {"%D6", "\uFFFD"},     // nor when the text ends after the lead
        {"%80%41", "\uFFFD"},  // no double-byte code has lead 0x80
        {"%81%40", "丂"},
        {"%E4%B8%AD", "涓\uFFFD"},  // UTF-8 escapes are read as code page 936, not as UTF-8
        {"%D6%D0%", "中\0"s},
    };
    for (const auto& [text, decoded] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(DecodePercent(text), decoded);
    }
}

TEST(CutAtNul, KeepsTheTextBeforeTheFirstNul) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"abc", "abc"}, {"ab\0cd\0e"s, "ab"}, {"\0abc"s, ""}, {"中文\0"s, "中文"},
    };
    for (const auto& [text, cut] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(CutAtNul(text), cut);
    }
}

}  // namespace
}  // namespace tf
