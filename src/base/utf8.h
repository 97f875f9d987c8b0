// UTF-8 is the program's inner text form; these turn it into code points and back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tf {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// Malformed bytes become U+FFFD, one per byte, so that no input is silently dropped.
std::u32string Utf8ToCodePoints(std::string_view text);
std::string CodePointsToUtf8(std::u32string_view text);
void AppendUtf8(std::string& out, char32_t c);

// The code point starting at `pos`, which moves past it; a malformed byte gives U+FFFD and
// moves one byte. `pos` must be before the end of the text.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

}  // namespace tf
