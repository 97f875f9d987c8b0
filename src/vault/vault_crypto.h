// The few cryptographic primitives the protected vault uses, each one call into libgcrypt: the
// vault's code and its known-answer tests go through these same functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tf::crypto {

using Bytes = std::span<const std::uint8_t>;
using MutableBytes = std::span<std::uint8_t>;

inline constexpr std::size_t kKeySize = 32;    // AES-256
inline constexpr std::size_t kNonceSize = 12;  // GCM's 96-bit nonce
inline constexpr std::size_t kTagSize = 16;

// Initialises libgcrypt once (version check, no secure memory); false when it is unusable. Every
// function below calls it.
bool Ready();

// Argon2id (RFC 9106, version 0x13): `out.size()` bytes of tag. `secret` and `ad` stay empty for
// the vault. False on a failure of the library (memory it could not have, parameters it refuses).
bool Argon2id(std::string_view password, Bytes salt, std::uint32_t memoryKib, std::uint32_t passes, std::uint32_t lanes,
              MutableBytes out, Bytes secret = {}, Bytes ad = {});

// AES-256-GCM with a 12-byte nonce, in place. Seal encrypts `data` and writes the tag; Open
// decrypts it and checks the tag, and on a mismatch wipes `data` and returns false.
bool AesGcmSeal(Bytes key, Bytes nonce, Bytes ad, MutableBytes data, MutableBytes tag);
bool AesGcmOpen(Bytes key, Bytes nonce, Bytes ad, MutableBytes data, Bytes tag);

// HMAC-SHA-256 and SHA-256 into a 32-byte `out`.
bool HmacSha256(Bytes key, Bytes message, MutableBytes out);
bool Sha256(Bytes message, MutableBytes out);

// Equality in a time that does not depend on where the first difference is.
bool SameBytes(Bytes a, Bytes b);

}  // namespace tf::crypto
