#include "autofill/percent_decode.h"

#include <cstdint>
#include <optional>

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

// The byte of the escape at `pos` (0-based): "%" and two hex digits; nothing otherwise.
std::optional<int> EscapeAt(const std::u32string& s, std::size_t pos) {
    if (pos + 2 >= s.size() || s[pos] != U'%') return std::nullopt;
    const int high = HexValue(s[pos + 1]);
    const int low = HexValue(s[pos + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    return high * 16 + low;
}

}  // namespace

std::string DecodePercent(std::string_view text) {
    if (text.find('%') == std::string_view::npos) return std::string(text);
    // Positions count characters, not bytes: a Chinese character between escapes moves the walk
    // by one, as it always has.
    const std::u32string s = Utf8ToCodePoints(text);
    std::string out;
    out.reserve(text.size());
    auto asWritten = [&](std::size_t from, std::size_t count) {
        for (std::size_t k = from; k < from + count && k < s.size(); ++k) AppendUtf8(out, s[k]);
    };
    for (std::size_t i = 0; i < s.size();) {
        const std::optional<int> h = s[i] == U'%' ? EscapeAt(s, i) : std::nullopt;
        if (!h) {
            // Not an escape, or a "%" without two hex digits: the old decoder made a NUL of it,
            // which cut the address there ("bank.com%zz@evil.net" read as "bank.com").
            asWritten(i, 1);
            ++i;
        } else if (*h < 0x20 || *h == 0x7F) {
            asWritten(i, 3);
            i += 3;
        } else if (*h <= 127) {
            AppendUtf8(out, static_cast<char32_t>(*h));
            i += 3;
        } else {
            // A lead byte takes the escape right after it as its trail.
            const std::optional<int> t = EscapeAt(s, i + 3);
            const std::optional<char32_t> c =
                t ? cp936::CharOf(static_cast<std::uint16_t>(*h * 256 + *t)) : std::nullopt;
            if (c) {
                AppendUtf8(out, *c);
                i += 6;
            } else {
                asWritten(i, 3);
                i += 3;
            }
        }
    }
    return out;
}

std::string CutAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

}  // namespace tf
