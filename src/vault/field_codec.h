// The keyless per-character encoding of every vault field and of the stored master password:
// each character becomes one digit giving the length of its code text, then the code text,
// the character's code page 936 code as a signed 16-bit decimal ("abc" -> "297298299").
//
// A character that code page 936 has no code for (an emoji, say) must not be lost from a
// password: its code text is "u" and its Unicode code point in decimal (U+1F600 -> "7u128512").
#pragma once

#include <string>
#include <string_view>

namespace tf {

std::string EncodeField(std::string_view text);
// Any malformed input gives empty text; decoding never reports.
std::string DecodeField(std::string_view encoded);

// The same, appending to `out`, for callers that build one buffer from many fields.
void AppendEncodedField(std::string& out, std::string_view text);
// False, and `out` as it was, when the input is malformed.
bool AppendDecodedField(std::string& out, std::string_view encoded);

}  // namespace tf
