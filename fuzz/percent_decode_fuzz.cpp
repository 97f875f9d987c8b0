// Percent decoding of a browser address: no crash, and never longer than UTF-8 of one code page
// 936 character per input byte.
#include "autofill/percent_decode.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = tf::fuzz::Bytes(data, size);
    const std::string decoded = tf::DecodePercent(text);
    FUZZ_CHECK(decoded.size() <= 3 * text.size());
    FUZZ_CHECK(tf::CutAtNul(decoded).find('\0') == std::string::npos);
    return 0;
}
