#include "autofill/percent_decode.h"

#include <cstdint>

#include "base/cp936.h"
#include "base/utf8.h"

namespace tf {

namespace {

int HexValue(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
    if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
    return -1;
}

// The two characters from `pos` (0-based) read as a hexadecimal number: the leading hex digits
// count, none gives 0; positions past the end read as nothing.
int HexPair(const std::u32string& s, std::size_t pos) {
    int value = 0;
    for (std::size_t i = pos; i < pos + 2 && i < s.size(); ++i) {
        const int digit = HexValue(s[i]);
        if (digit < 0) break;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::string DecodePercent(std::string_view text) {
    if (text.find('%') == std::string_view::npos) return std::string(text);
    // Positions count characters, not bytes: a Chinese character between escapes moves the walk
    // by one, as it always has.
    const std::u32string s = Utf8ToCodePoints(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < s.size();) {
        if (s[i] != U'%') {
            AppendUtf8(out, s[i]);
            ++i;
            continue;
        }
        const int h = HexPair(s, i + 1);
        if (h <= 127) {
            AppendUtf8(out, static_cast<char32_t>(h));
            i += 3;
            continue;
        }
        // A lead byte: the trail is the pair after the next character (normally the next "%"),
        // which is skipped unread.
        const int t = HexPair(s, i + 4);
        const std::optional<char32_t> c = cp936::CharOf(static_cast<std::uint16_t>(h * 256 + t));
        // A pair that names no character used to stop the tick with a run-time error; a visible
        // replacement keeps the watch going and shows where the address went wrong.
        AppendUtf8(out, c ? *c : kReplacementChar);
        i += 6;
    }
    return out;
}

std::string CutAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

}  // namespace tf
