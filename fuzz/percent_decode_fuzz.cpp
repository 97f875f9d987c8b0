// Percent decoding of a browser address: no crash, never longer than UTF-8 of one code page 936
// character per input byte, and never a NUL that the text did not have. Current browsers'
// addresses: UTF-8 decoding never grows the text and keeps valid UTF-8 valid, and a host's ASCII
// form decodes to valid UTF-8 or to nothing.
#include "autofill/address_reader.h"
#include "autofill/page_address.h"
#include "autofill/percent_decode.h"
#include "base/utf8.h"
#include "fuzz_check.h"

namespace {

bool ValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        if (tf::NextCodePoint(text, pos) == tf::kReplacementChar) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = tf::fuzz::Bytes(data, size);
    const std::string decoded = tf::DecodePercent(text);
    FUZZ_CHECK(decoded.size() <= 3 * text.size());
    FUZZ_CHECK(tf::CutAtNul(decoded).find('\0') == std::string::npos);
    // No decoder makes a NUL, at which an address used to be cut short.
    const bool hasNul = text.find('\0') != std::string_view::npos;
    FUZZ_CHECK(hasNul || decoded.find('\0') == std::string::npos);

    const std::string page = tf::DecodePercentUtf8(text);
    FUZZ_CHECK(page.size() <= text.size());
    FUZZ_CHECK(hasNul || page.find('\0') == std::string::npos);
    // The host is never decoded.
    const std::string kept = tf::DecodeAfterHost(text, tf::DecodePercentUtf8);
    FUZZ_CHECK(kept.substr(0, tf::HostEnd(text)) == text.substr(0, tf::HostEnd(text)));
    // A DDE reply gives an address with no NUL, or none.
    if (const auto address = tf::DdeReplyAddress(text))
        FUZZ_CHECK(!address->empty() && address->find('\0') == std::string::npos);
    if (ValidUtf8(text)) FUZZ_CHECK(ValidUtf8(page));
    if (const auto host = tf::WithUnicodeHost(text); host && ValidUtf8(text)) FUZZ_CHECK(ValidUtf8(*host));
    tf::IsWebPageAddress(text);
    tf::BrowserProgramName(text);
    return 0;
}
