#include "base/like.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace tf {
namespace {

TEST(Like, FollowsThePatternRules) {
    struct Case {
        const char* pattern;
        std::vector<const char*> matching, other;
    };
    const Case cases[] = {
        {"abc", {"abc"}, {"ABC", "ab"}},
        {"", {""}, {"a"}},
        {"a?c", {"a中c", "a?c"}, {"ac", "abbc"}},  // one character, not one byte
        {"##", {"07"}, {"7", "7x"}},
        {"*", {"", "x"}, {}},
        {"a*c", {"ac", "abbbc"}, {"abbbd"}},
        {"*a*b", {"xaxxb", "ab"}, {"xbxa"}},
        {"a*b*c", {"abcbc"}, {"acb"}},
        {"[a-c]", {"b"}, {"d", ""}},
        {"[!a-c]", {"d", "中"}, {"a", ""}},
        {"[一-龥]", {"中"}, {"a"}},
        {"[-a]", {"-", "a"}, {"b"}},
        {"[a-]", {"-", "a"}, {"b"}},
        {"[z-a]", {}, {"m", "a"}},  // written backwards: empty
        {"[]", {}, {"", "a"}},
        {"[!]", {"a"}, {""}},
        {"[*?#[]", {"?", "["}, {"x"}},
        {"]", {"]"}, {"x"}},
        // An unclosed "[" is itself; the "*" after it is still a wildcard.
        {"[*", {"[", "[x"}, {"x"}},
        {"[!", {"[!"}, {"x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        for (const char* text : c.matching) EXPECT_TRUE(Like(text, c.pattern)) << text;
        for (const char* text : c.other) EXPECT_FALSE(Like(text, c.pattern)) << text;
    }
}

TEST(Like, ManyStarsOnALongTextFinishQuickly) {
    // Backtracking every star would never end here.
    const std::string text(20000, 'a');
    EXPECT_FALSE(Like(text, "*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(Like(text + "b", "*a*a*a*a*a*a*a*a*b"));
}

// Literal patterns compare bytes; the same pattern spelled with a list goes the character way.
// The two must agree on any text, malformed UTF-8 included.
TEST(Like, PlainTextShapesAgreeWithCharacterMatching) {
    const std::string pieces[] = {"a", "b", "中", "\xE4", "\xB8", "\xAD", "\xEF\xBF\xBD", "?"};
    std::mt19937 random(7);
    auto make = [&](int maxPieces) {
        std::string s;
        for (int n = static_cast<int>(random() % static_cast<unsigned>(maxPieces)); n > 0; --n) {
            s += pieces[random() % 5];  // patterns: no "?" nor U+FFFD
        }
        return s;
    };
    for (int i = 0; i < 3000; ++i) {
        std::string needle = make(4), text;
        for (int n = static_cast<int>(random() % 10); n > 0; --n) text += pieces[random() % std::size(pieces)];
        if (needle.empty() || static_cast<unsigned char>(needle[0]) >= 0x80) needle.insert(0, "a");
        const std::string listed = "[" + needle.substr(0, 1) + "]" + needle.substr(1);
        for (const char* lead : {"", "*"}) {
            for (const char* trail : {"", "*"}) {
                SCOPED_TRACE(testing::PrintToString(lead + needle + trail) + " ~ " + testing::PrintToString(text));
                EXPECT_EQ(Like(text, lead + needle + trail), Like(text, lead + listed + trail));
            }
        }
    }
}

}  // namespace
}  // namespace tf
