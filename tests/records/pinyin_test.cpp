#include "records/pinyin.h"

#include <gtest/gtest.h>

#include "base/cp936.h"
#include "base/utf8.h"

namespace tf {
namespace {

TEST(Pinyin, InitialsFollowTheCodeTable) {
    const std::pair<std::uint16_t, char> cases[] = {
        {0xB0A1, 'a'},                 // the first hanzi
        {0xD188, 'x'}, {0xD189, 'y'},  // the boundary stored keys were made with
        {0xD1A5, 'y'},                 // a code that a D1B8/D1B9 boundary would put under x
        {0xD7F9, 'z'},                 // the last one of the first level
        {0xD8A1, ' '},                 // second level: no row
        {0xB0A0, ' '},                 // GBK beside the table
        {0xA3AC, ' '},                 // full-width comma
    };
    for (const auto& [code, initial] : cases) {
        SCOPED_TRACE(code);
        const auto c = cp936::CharOf(code);
        ASSERT_TRUE(c.has_value());
        EXPECT_EQ(GetPinyinInitial(*c), initial);
    }
    EXPECT_EQ(GetPinyinInitial(U'a'), ' ');
    EXPECT_EQ(GetPinyinInitial(U'\U0001F600'), ' ');
}

TEST(Pinyin, CodeReplacesOnlyDoubleByteCharacters) {
    // Codes of 北京长沙 in rows b, j, c and s, checked so that the case cannot go stale.
    const std::pair<char32_t, std::uint16_t> bjcs[] = {
        {U'北', 0xB1B1}, {U'京', 0xBEA9}, {U'长', 0xB3A4}, {U'沙', 0xC9B3}};
    for (const auto& [c, code] : bjcs) EXPECT_EQ(cp936::CodeOf(c), code);

    const std::pair<const char*, const char*> cases[] = {
        {"北京长沙", "bjcs"},
        {"Tencent QQ-2024 (v1.0)!", "Tencent QQ-2024 (v1.0)!"},  // a Latin name is its own key
        {"QQ邮箱", "QQyx"},
        {"你好，世界", "nh sj"},                 // double-byte punctuation: a space
        {"亍€", " €"},                           // a later block; a single-byte character stays
        {"a\U0001F600\xFF", "a\U0001F600\xFF"},  // no code at all, and a malformed byte: kept
        {"", ""},
    };
    for (const auto& [text, code] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(GetPinyinCode(text), code);
        EXPECT_EQ(Utf8ToCodePoints(GetPinyinCode(text)).size(), Utf8ToCodePoints(text).size());
    }
}

}  // namespace
}  // namespace tf
