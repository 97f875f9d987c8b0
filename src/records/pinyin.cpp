#include "records/pinyin.h"

#include "base/cp936.h"
#include "base/utf8.h"

namespace tf {

namespace {

struct InitialRange {
    char letter;
    std::uint16_t from, to;  // inclusive code page 936 codes
};

// The GB2312 hanzi of level 1 are in reading order, so each initial owns one run of codes. The
// x/y boundary at D188/D189 is what stored search keys were computed with; keep it.
constexpr InitialRange kInitials[] = {
    {'a', 0xB0A1, 0xB0C4}, {'b', 0xB0C5, 0xB2C0}, {'c', 0xB2C1, 0xB4ED}, {'d', 0xB4EE, 0xB6E9}, {'e', 0xB6EA, 0xB7A1},
    {'f', 0xB7A2, 0xB8C0}, {'g', 0xB8C1, 0xB9FD}, {'h', 0xB9FE, 0xBBF6}, {'j', 0xBBF7, 0xBFA5}, {'k', 0xBFA6, 0xC0AB},
    {'l', 0xC0AC, 0xC2E7}, {'m', 0xC2E8, 0xC4C2}, {'n', 0xC4C3, 0xC5B5}, {'o', 0xC5B6, 0xC5BD}, {'p', 0xC5BE, 0xC6D9},
    {'q', 0xC6DA, 0xC8BA}, {'r', 0xC8BB, 0xC8F5}, {'s', 0xC8F6, 0xCBF9}, {'t', 0xCBFA, 0xCDD9}, {'w', 0xCDDA, 0xCEF3},
    {'x', 0xCEF4, 0xD188}, {'y', 0xD189, 0xD4D0}, {'z', 0xD4D1, 0xD7F9},
};

char InitialOfCode(std::uint16_t code) {
    for (const InitialRange& range : kInitials) {
        if (code >= range.from && code <= range.to) return range.letter;
    }
    return ' ';
}

}  // namespace

char GetPinyinInitial(char32_t c) {
    const auto code = cp936::CodeOf(c);
    if (!code || !IsDoubleByteCode(static_cast<std::int16_t>(*code))) return ' ';
    return InitialOfCode(*code);
}

bool IsDoubleByteCode(std::int16_t code) { return static_cast<std::uint16_t>(code) >= 0x100; }

std::string GetPinyinCode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const char32_t c = NextCodePoint(text, pos);
        const auto code = cp936::CodeOf(c);
        if (code && IsDoubleByteCode(static_cast<std::int16_t>(*code))) {
            out.push_back(InitialOfCode(*code));
        } else {
            // Kept byte for byte, so even a malformed byte comes back as it was.
            out.append(text.substr(start, pos - start));
        }
    }
    return out;
}

}  // namespace tf
