// The protected vault's reader on any bytes: no crash, no allocation or derivation beyond the
// caps, and whatever it takes for a sound file is refused by a reader of plain vaults.
#include "fuzz_check.h"
#include "vault/protected_vault.h"
#include "vault/vault_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = tf::fuzz::Bytes(data, size);
    tf::ProtectedHeader header;
    const tf::OpenStatus status = tf::ReadProtectedHeader(bytes, header);
    if (status != tf::OpenStatus::kOpened) return 0;
    FUZZ_CHECK(tf::KdfParamsAccepted(header.params));
    FUZZ_CHECK(header.salt.size() >= tf::kdf_limits::kMinSalt && header.salt.size() <= tf::kdf_limits::kMaxSalt);
    tf::FileError error;
    FUZZ_CHECK(!tf::ParseVault(bytes, error));
    // Derivation only at small costs, to keep many inputs a second.
    if (std::uint64_t{header.params.memoryKib} * header.params.passes <= 256) {
        const tf::OpenedVault opened = tf::OpenVault(bytes, "fuzz");
        if (opened.status != tf::OpenStatus::kOpened) return 0;
        // Saved again with the key it gave, it opens to the same bytes.
        const auto counter = [n = 0](void* out, std::size_t count) mutable {
            for (std::size_t i = 0; i < count; ++i) static_cast<std::uint8_t*>(out)[i] = static_cast<std::uint8_t>(n++);
            return true;
        };
        const std::optional<std::string> again = tf::SealVault(opened.inner, *opened.key, counter);
        FUZZ_CHECK(again && tf::OpenVault(*again, "fuzz").inner == opened.inner);
    }
    return 0;
}
