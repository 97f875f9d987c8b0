#include "base/cp936.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

constexpr char32_t kNone = 0xFFFFFFFF;

// Codes both ways: ASCII; the euro sign, a single byte; the first code of all; the first and
// last level-1 hanzi; symbols and a pinyin letter; the user-defined areas (private use).
TEST(Cp936, KnownCodes) {
    const std::pair<std::uint16_t, char32_t> cases[] = {
        {0x00, U'\0'},       {0x41, U'A'},        {0x7F, U'\x7f'},     {0x80, U'\u20AC'},   {0x8140, U'\u4E02'},
        {0xD6D0, U'\u4E2D'}, {0xB0A1, U'\u554A'}, {0xF7FE, U'\u9F44'}, {0xA1A1, U'\u3000'}, {0xA1A4, U'\u00B7'},
        {0xA3A4, U'\uFFE5'}, {0xA8A6, U'\u00E9'}, {0xAAA1, U'\uE000'}, {0xFEFE, U'\uE4C5'}, {0xA140, U'\uE4C6'},
    };
    for (const auto& [code, c] : cases) {
        SCOPED_TRACE(code);
        EXPECT_EQ(cp936::CharOf(code), c);
        EXPECT_EQ(cp936::CodeOf(c), code);
    }
}

TEST(Cp936, CodesAndCharactersWithoutCounterpart) {
    // Lone lead bytes, 0xFF, trail bytes outside 0x40..0xFE or 0x7F, leads outside 0x81..0xFE.
    for (std::uint16_t code : {0x81, 0xFE, 0xFF, 0x817F, 0x813F, 0x81FF, 0x8041, 0xFF41, 0x0141}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(cp936::CharOf(code));
    }
    // U+F8F5 is encoded to 0xFF by the platform, but 0xFF does not decode to it.
    for (char32_t c : {U'\U0001F600', U'\u00F1', U'\u00A9', U'\uF8F5', U'\U00020000', char32_t{0x110000}}) {
        SCOPED_TRACE(static_cast<unsigned>(c));
        EXPECT_FALSE(cp936::CodeOf(c));
    }
}

// The two directions are one table: a shorter or inconsistent one would lose characters.
TEST(Cp936, DirectionsAgreeForEveryCode) {
    int assigned = 0;
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        auto c = cp936::CharOf(static_cast<std::uint16_t>(code));
        if (!c) continue;
        ++assigned;
        ASSERT_EQ(cp936::CodeOf(*c), code) << code;
    }
    EXPECT_EQ(assigned, 128 + 23941);  // ASCII and the codes the platform's converter knows
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        auto code = cp936::CodeOf(c);
        ASSERT_EQ(code ? cp936::CharOf(*code).value_or(kNone) : c, c) << static_cast<unsigned>(c);
    }
}

}  // namespace
}  // namespace tf
