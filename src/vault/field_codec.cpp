#include "vault/field_codec.h"

#include <cstdint>

#include "base/cp936.h"
#include "base/utf8.h"

namespace tf {

namespace {

// Writes the decimal digits of `value` backwards from `end`; returns where they start.
char* FormatDecimal(std::uint32_t value, char* end) {
    do {
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return end;
}

void AppendCode(std::string& out, char32_t c) {
    // Longest code text: "u" and the seven digits of U+10FFFF; the length digit goes in front.
    char buffer[10];
    char* end = buffer + sizeof buffer;
    char* start;
    if (auto code = cp936::CodeOf(c)) {
        if (*code < 0x100) {
            start = FormatDecimal(*code, end);
        } else {
            // A double-byte code is read as a signed 16-bit number: every lead byte makes it negative.
            start = FormatDecimal(0x10000u - *code, end);
            *--start = '-';
        }
    } else {
        start = FormatDecimal(static_cast<std::uint32_t>(c), end);
        *--start = 'u';
    }
    const char length = static_cast<char>('0' + (end - start));
    *--start = length;
    out.append(start, end);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The character named by one code text, or nothing when the text names none.
bool DecodeCode(std::string_view text, char32_t& c) {
    if (text.front() == 'u') {
        text.remove_prefix(1);
        if (text.empty()) return false;
        std::uint32_t value = 0;
        for (char d : text) {
            if (!IsDigit(d)) return false;
            value = value * 10 + static_cast<std::uint32_t>(d - '0');  // at most 8 digits: no overflow
        }
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        c = value;
        return true;
    }
    bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty()) return false;
    std::int32_t value = 0;
    for (char d : text) {
        if (!IsDigit(d)) return false;
        value = value * 10 + (d - '0');  // at most 9 digits: no overflow
    }
    if (negative) value = -value;
    if (value < -32768 || value > 65535) return false;
    // Negative values and 256..65535 alike are the 16-bit pattern of a double-byte code.
    auto ch = cp936::CharOf(static_cast<std::uint16_t>(value));
    if (!ch) return false;
    c = *ch;
    return true;
}

}  // namespace

void AppendEncodedField(std::string& out, std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[pos]);
        if (b < 0x80) {
            // ASCII is its own code: the common case, kept short.
            if (b < 10) {
                const char s[2] = {'1', static_cast<char>('0' + b)};
                out.append(s, 2);
            } else if (b < 100) {
                const char s[3] = {'2', static_cast<char>('0' + b / 10), static_cast<char>('0' + b % 10)};
                out.append(s, 3);
            } else {
                const char s[4] = {'3', '1', static_cast<char>('0' + (b / 10) % 10), static_cast<char>('0' + b % 10)};
                out.append(s, 4);
            }
            ++pos;
            continue;
        }
        AppendCode(out, NextCodePoint(text, pos));
    }
}

std::string EncodeField(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 4);
    AppendEncodedField(out, text);
    return out;
}

bool AppendDecodedField(std::string& out, std::string_view encoded) {
    const std::size_t oldSize = out.size();
    while (!encoded.empty()) {
        const char k = encoded.front();
        if (k < '1' || k > '9' || encoded.size() - 1 < static_cast<std::size_t>(k - '0')) {
            out.resize(oldSize);
            return false;
        }
        const std::size_t length = static_cast<std::size_t>(k - '0');
        char32_t c = 0;
        if (!DecodeCode(encoded.substr(1, length), c)) {
            out.resize(oldSize);
            return false;
        }
        AppendUtf8(out, c);
        encoded.remove_prefix(1 + length);
    }
    return true;
}

std::string DecodeField(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size() / 3);
    AppendDecodedField(out, encoded);
    return out;
}

}  // namespace tf
