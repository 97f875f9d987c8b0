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
        {"a%7Fbcdef", "a%7Fbcdef"},  // 0x7F is no lead byte: it stays, and nothing after it is a trail
        {"%7e%7E", "~~"},
        {"%2541", "%41"},  // decoded once only
        {"%D6%D0", "中"},
        {"%d6%d0", "中"},
        {"%B1%B1%BE%A9/%C4%E3%BA%C3", "北京/你好"},
        {"中%20文%D6%D0", "中 文中"},
        {"%81%40", "丂"},
        {"%E4%B8%AD", "涓%AD"},  // UTF-8 escapes are read as code page 936, not as UTF-8
        {"%D6%41", "諥"},        // any escape may be the trail
    };
    for (const auto& [text, decoded] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(DecodePercent(text), decoded);
    }
}

TEST(DecodePercent, KeepsWhatDoesNotDecodeAsWrittenAndNeverMakesANul) {
    // The old decoder turned these into a NUL, at which the address was cut: "bank.com%00@evil.net"
    // was read as "bank.com".
    const std::pair<std::string, std::string> cases[] = {
        {"100%", "100%"},  // a "%" at the very end
        {"%4", "%4"},
        {"%4zq", "%4zq"},
        {"%zzx", "%zzx"},
        {"%%41", "%A"},
        {"%中文x", "%中文x"},
        {"%00", "%00"},
        {"a%00b", "a%00b"},
        {"%0A%1f%7F", "%0A%1f%7F"},  // nor any other control character
        {"http://bank.com%00@evil.net/", "http://bank.com%00@evil.net/"},
        {"http://bank.com%zz@evil.net/", "http://bank.com%zz@evil.net/"},
        {"http://bank.com/%", "http://bank.com/%"},
        // A lead escape with no trail escape right after it, or none that forms a character.
        {"%D6xD0", "%D6xD0"},
        {"%D6中D0", "%D6中D0"},
        {"%D6/%D0", "%D6/%D0"},
        {"%D6%zz", "%D6%zz"},
        {"%D6", "%D6"},
        {"%D6%", "%D6%"},
        {"%80%41", "%80A"},  // no double-byte code has lead 0x80
        {"%D6%D0%", "中%"},
        {"%D6%00", "%D6%00"},
    };
    for (const auto& [text, decoded] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(DecodePercent(text), decoded);
        EXPECT_EQ(DecodePercent(text).find('\0'), std::string::npos);
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
