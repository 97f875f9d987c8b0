// Percent escapes in browser addresses, decoded the way the program always has: an escape above
// 127 and the one after it form one code page 936 character; UTF-8 escapes are not recognised.
// Nothing is lost on the way: an escape that does not decode stays as written.
#pragma once

#include <string>
#include <string_view>

namespace tf {

// "%" and two hex digits give that character; an escape above 127 directly followed by another
// gives the code page 936 character of the two. Everything else stays as written: a "%" without
// two hex digits ("%zz", "%4", a "%" at the end), an escape of a control character ("%00", "%0A",
// "%7F", which no address holds as such), a lead escape without its trail or with one that forms
// no character. So the result never holds a NUL and never ends earlier than the text.
std::string DecodePercent(std::string_view text);

// Text kept in a text box ends at its first NUL character. Not for addresses: an address with a
// NUL in it cannot be read whole, and is no address at all.
std::string CutAtNul(std::string_view text);

}  // namespace tf
