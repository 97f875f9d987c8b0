// The generated code page 936 data (cp936_table.cpp, see tools/cp936/README.md): what each code
// decodes to, and which code to use for a character that several codes decode to.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tf::cp936::table {

inline constexpr unsigned kFirstLead = 0x81;
inline constexpr unsigned kLastLead = 0xFE;
inline constexpr unsigned kFirstTrail = 0x40;
inline constexpr unsigned kLastTrail = 0xFE;
inline constexpr std::size_t kTrailCount = kLastTrail - kFirstTrail + 1;
inline constexpr std::size_t kDoubleByteCount = (kLastLead - kFirstLead + 1) * kTrailCount;
inline constexpr std::size_t kSingleByteCount = 128;

struct Preferred {
    char16_t character;
    std::uint16_t code;
};

// Bytes 0x80..0xFF; 0 where the byte is no character (the lead bytes). 0x00..0x7F are ASCII.
extern const std::array<char16_t, kSingleByteCount> kSingleByte;
// Lead 0x81..0xFE x trail 0x40..0xFE, row by row; 0 where the code is unassigned.
extern const std::array<char16_t, kDoubleByteCount> kDoubleByte;
// Characters with several codes and the one the platform encodes them as.
extern const std::span<const Preferred> kPreferred;

}  // namespace tf::cp936::table
