// Our code page 936 table against the platform's own converter, code by code and character by
// character, so that a vault encodes the same here as the platform would.
#include <gtest/gtest.h>

#include <cstdio>

#include "base/cp936.h"
#include "base/windows_api_win.h"

namespace tf {
namespace {

// Codes and characters below; kNone where there is none.
constexpr long kNone = -1;

std::string Hex(long v) {
    if (v == kNone) return "none";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04lX", v);
    return buffer;
}

// The platform's code for a character; none when it has none (or only a best fit).
long PlatformCode(long c) {
    const wchar_t w = static_cast<wchar_t>(c);
    char out[4] = {};
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &w, 1, out, sizeof out, nullptr, &usedDefault);
    if (usedDefault || n < 1 || n > 2) return kNone;
    if (n == 1) return static_cast<unsigned char>(out[0]);
    return static_cast<unsigned char>(out[0]) * 256L + static_cast<unsigned char>(out[1]);
}

// The one character a code decodes to. A converter that lets an unassigned code through as its
// default character ('?' or U+30FB) has not named a character by it.
long PlatformChar(long code) {
    char bytes[2];
    int length = 0;
    if (code >= 0x100) bytes[length++] = static_cast<char>(code >> 8);
    bytes[length++] = static_cast<char>(code & 0xFF);
    wchar_t out[4] = {};
    if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes, length, out, 4) != 1) return kNone;
    const long c = out[0];
    if (((c == '?' && code != '?') || c == 0x30FB) && PlatformCode(c) != code) return kNone;
    return c;
}

long OurChar(long code) {
    auto c = cp936::CharOf(static_cast<std::uint16_t>(code));
    return c ? static_cast<long>(*c) : kNone;
}

long OurCode(long c) {
    auto code = cp936::CodeOf(static_cast<char32_t>(c));
    return code ? static_cast<long>(*code) : kNone;
}

TEST(Cp936Table, EveryCodeDecodesAsThePlatformDoes) {
    int assigned = 0;
    for (long code = 0; code <= 0xFFFF; ++code) {
        const long expected = PlatformChar(code);
        if (expected != kNone) ++assigned;
        ASSERT_EQ(Hex(OurChar(code)), Hex(expected)) << "code " << Hex(code);
    }
    EXPECT_GT(assigned, 20000);
}

// Where the platform encodes a character to a code that decodes to something else (Wine has
// U+F8F5 -> 0xFF, and 0xFF decodes to nothing), our table gives no code: the field codec then
// keeps the character by its code point instead of losing it.
TEST(Cp936Table, EveryCharacterEncodesAsThePlatformDoes) {
    for (long c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        long expected = PlatformCode(c);
        if (expected != kNone && PlatformChar(expected) != c) expected = kNone;
        ASSERT_EQ(Hex(OurCode(c)), Hex(expected)) << "U+" << Hex(c);
    }
}

}  // namespace
}  // namespace tf
