// Checks a downloaded program against the signature the release description carries: ECDSA P-256
// over the file's SHA-256, with the public key built into the updater.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tf {

// `publicKeyHex`: x and y of the key, 128 hex digits. True only when the signature (r and s, 64
// bytes) was made over this file's contents by that key.
bool VerifyFileSignature(const std::string& path, const std::vector<std::uint8_t>& signature,
                         const std::string& publicKeyHex = TAMBORVIN_UPDATE_KEY);

}  // namespace tf
