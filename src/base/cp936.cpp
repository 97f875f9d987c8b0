#include "base/cp936.h"

#include <array>
#include <memory>

#include "base/cp936_table.h"

namespace tf::cp936 {

namespace {

using namespace table;

// Character -> code for the whole BMP (0 = none; U+0000 is handled as ASCII), built once from
// the decoding table so that the two directions cannot disagree.
const std::array<std::uint16_t, 0x10000>& ReverseTable() {
    static const std::unique_ptr<std::array<std::uint16_t, 0x10000>> reverse = [] {
        auto r = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        r->fill(0);
        for (std::size_t i = 0; i < kSingleByteCount; ++i) {
            if (kSingleByte[i] != 0) (*r)[kSingleByte[i]] = static_cast<std::uint16_t>(0x80 + i);
        }
        for (std::size_t i = 0; i < kDoubleByteCount; ++i) {
            char16_t c = kDoubleByte[i];
            if (c == 0 || (*r)[c] != 0) continue;
            (*r)[c] = static_cast<std::uint16_t>((kFirstLead + i / kTrailCount) * 256 + kFirstTrail + i % kTrailCount);
        }
        for (const Preferred& p : kPreferred) (*r)[p.character] = p.code;
        return r;
    }();
    return *reverse;
}

}  // namespace

std::optional<std::uint16_t> CodeOf(char32_t c) {
    if (c < 0x80) return static_cast<std::uint16_t>(c);
    if (c > 0xFFFF) return std::nullopt;
    std::uint16_t code = ReverseTable()[c];
    if (code == 0) return std::nullopt;
    return code;
}

std::optional<char32_t> CharOf(std::uint16_t code) {
    if (code < 0x80) return static_cast<char32_t>(code);
    char16_t c = 0;
    if (code < 0x100) {
        c = kSingleByte[code - 0x80];
    } else {
        const unsigned lead = code >> 8;
        const unsigned trail = code & 0xFF;
        if (lead < kFirstLead || lead > kLastLead || trail < kFirstTrail || trail > kLastTrail) return std::nullopt;
        c = kDoubleByte[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)];
    }
    if (c == 0) return std::nullopt;
    return static_cast<char32_t>(c);
}

}  // namespace tf::cp936
