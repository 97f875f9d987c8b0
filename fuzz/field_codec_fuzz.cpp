// The field codec on any text: decoding never fails loudly, and what decodes encodes to a text
// that decodes to the same again.
#include "fuzz_check.h"
#include "vault/field_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view encoded = tf::fuzz::Bytes(data, size);
    std::string decoded;
    if (!tf::AppendDecodedField(decoded, encoded)) {
        FUZZ_CHECK(decoded.empty() && tf::DecodeField(encoded).empty());
        return 0;
    }
    FUZZ_CHECK(tf::DecodeField(encoded) == decoded);
    FUZZ_CHECK(tf::DecodeField(tf::EncodeField(decoded)) == decoded);
    return 0;
}
