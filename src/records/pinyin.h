// Pinyin initials: a site name with every Chinese character replaced by the first letter of its
// reading, so that "bj" finds a name written in Chinese. Stored in each record as its search key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tf {

// The lower-case initial of a character of the GB2312 hanzi blocks, or a space.
char GetPinyinInitial(char32_t c);
// True for the code of a double-byte character (its hexadecimal text has three or more digits).
bool IsDoubleByteCode(std::int16_t code);
// Double-byte characters become their initial (or a space); everything else is kept as it is.
std::string GetPinyinCode(std::string_view text);

}  // namespace tf
