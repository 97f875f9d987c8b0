// The keyless per-character encoding of every vault field and of the stored master password:
// each character becomes one digit giving the length of its code text, then the code text,
// the character's code page 936 code as a signed 16-bit decimal ("abc" -> "297298299").
#pragma once

#include <string>
#include <string_view>

namespace tf {

std::string EncodeField(std::string_view text);
// Any malformed input gives empty text; decoding never reports.
std::string DecodeField(std::string_view encoded);

}  // namespace tf
