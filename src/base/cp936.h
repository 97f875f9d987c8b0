// Code page 936 (GBK) as Windows defines it, carried by the program itself so that a vault
// reads the same on every machine whatever its own code page.
#pragma once

#include <cstdint>
#include <optional>

namespace tf::cp936 {

// The character's code: 0..255 for a single byte, lead * 256 + trail for a double-byte
// character. Empty when the code page has no code for it.
std::optional<std::uint16_t> CodeOf(char32_t c);

// The character with that code, or empty when the code names none (a lone lead byte, an
// unassigned double-byte code).
std::optional<char32_t> CharOf(std::uint16_t code);

}  // namespace tf::cp936
