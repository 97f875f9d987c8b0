#include "base/utf8.h"

namespace tf {

namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
    const std::size_t left = text.size() - pos;
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, c = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, c = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, c = b0 & 0x07, min = 0x10000;
    }
    if (length == 0 || left < length) {
        ++pos;
        return kReplacementChar;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(p[i])) {
            ++pos;
            return kReplacementChar;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return kReplacementChar;
    }
    pos += length;
    return c;
}

std::u32string Utf8ToCodePoints(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) out.push_back(NextCodePoint(text, pos));
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacementChar;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        const char bytes[2] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 2);
    } else if (c < 0x10000) {
        const char bytes[3] = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                               static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 3);
    } else {
        const char bytes[4] = {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                               static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        out.append(bytes, 4);
    }
}

std::string CodePointsToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) AppendUtf8(out, c);
    return out;
}

}  // namespace tf
