// The vault reader on any bytes: no crash, and what it reads is written and read back unchanged.
#include "fuzz_check.h"
#include "vault/vault_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tf::FileError error;
    const auto records = tf::ParseVault(tf::fuzz::Bytes(data, size), error);
    if (!records) {
        FUZZ_CHECK(error.code != 0);
        return 0;
    }
    const auto again = tf::ParseVault(tf::FormatVault(*records), error);
    FUZZ_CHECK(again && *again == *records);
    return 0;
}
