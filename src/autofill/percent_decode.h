// Percent escapes in browser addresses, decoded the way the program always has: an escape above
// 127 and the one after it form one code page 936 character; UTF-8 escapes are not recognised.
#pragma once

#include <string>
#include <string_view>

namespace tf {

std::string DecodePercent(std::string_view text);

// Text kept in a text box ends at its first NUL character.
std::string CutAtNul(std::string_view text);

}  // namespace tf
