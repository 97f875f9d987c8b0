// UTF-8 is the program's inner text form; these turn it into code points and back.
#pragma once

#include <string>
#include <string_view>

namespace tf {

// Malformed bytes become U+FFFD, one per byte, so that no input is silently dropped.
std::u32string Utf8ToCodePoints(std::string_view text);
std::string CodePointsToUtf8(std::u32string_view text);
void AppendUtf8(std::string& out, char32_t c);

}  // namespace tf
