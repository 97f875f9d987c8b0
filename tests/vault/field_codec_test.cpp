#include "vault/field_codec.h"

#include <gtest/gtest.h>

#include "base/cp936.h"
#include "base/utf8.h"

namespace tf {
namespace {

TEST(FieldCodec, EncodesEachCharacterAsLengthAndCode) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"abc", "297298299"},
        {"中", "6-10544"},
        {"a中\t", "2976-1054419"},
        {std::string(1, '\0'), "10"},
        {"\x7F€", "31273128"},        // 0x80, the euro sign, is a single byte
        {"é", "6-22362"},             // a pinyin letter: 0xA8A6
        {"😀", "7u128512"},            // no code: kept by its code point
        {"ñ", "4u241"},               // no code either
        {"\U0010FFFF", "8u1114111"},  // the longest code text
    };
    for (const auto& [text, encoded] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(EncodeField(text), encoded);
        EXPECT_EQ(DecodeField(encoded), text);
    }
}

TEST(FieldCodec, DecodesOtherSpellingsOfACode) {
    EXPECT_EQ(DecodeField("554992"), "中");  // 0xD6D0 written unsigned
    EXPECT_EQ(DecodeField("3097"), "a");     // leading zero
    EXPECT_EQ(DecodeField("3u97"), "a");     // code point form of a character that has a code
    EXPECT_EQ(DecodeField("2-0"), std::string(1, '\0'));
}

// Anything malformed gives empty text, however much decoded before it: not a digit first, zero
// length, too few characters left, a code text that is no integer, out of -32768..65535, a lone
// lead byte, 0xFF, an unassigned code (0x817F), a bad code point form.
TEST(FieldCodec, MalformedInputDecodesToEmpty) {
    for (const char* encoded :
         {"x12",  "297x",    "0",      "2970", "3-1",  "2976-1054", "2a7", "1-",  "39-7",      "3+97",
          "3 97", "6-32769", "565536", "3129", "3255", "6-32385",   "1u",  "2ux", "8u1114112", "6u55296"}) {
        SCOPED_TRACE(encoded);
        EXPECT_EQ(DecodeField(encoded), "");
    }
    std::string out = "kept";
    EXPECT_FALSE(AppendDecodedField(out, "297x"));
    EXPECT_EQ(out, "kept");
}

TEST(FieldCodec, RoundTripsEveryCharacterOfTheCodePage) {
    std::string all;
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        if (auto c = cp936::CharOf(static_cast<std::uint16_t>(code))) AppendUtf8(all, *c);
    }
    const std::string encoded = EncodeField(all);
    EXPECT_EQ(encoded.find('u'), std::string::npos) << "a code page character lost its code";
    EXPECT_EQ(DecodeField(encoded), all);
}

TEST(FieldCodec, RoundTripsAwkwardText) {
    std::string longText;  // longer than a signed 16-bit count
    for (int i = 0; i < 41000; ++i) longText += (i % 3 == 0) ? "中" : (i % 3 == 1 ? "x" : ",");
    const std::string texts[] = {
        "a,b", "say \"hi\"", "line1\r\nline2\rline3\nend", "  spaces  ", "密码😀🔑 emoji", "e\u0301 combining", longText,
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 40));
        const std::string encoded = EncodeField(text);
        EXPECT_EQ(encoded.find_first_not_of("0123456789-u"), std::string::npos);
        EXPECT_EQ(DecodeField(encoded), text);
    }
}

}  // namespace
}  // namespace tf
