#include "vault/vault_crypto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tf::crypto {
namespace {

std::vector<std::uint8_t> Hex(std::string_view hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return out;
}

// RFC 9106, section 5.3: Argon2id with a secret and associated data, which the vault leaves empty.
TEST(VaultCrypto, Argon2idGivesTheRfcTag) {
    const std::string password(32, '\x01');
    const std::vector<std::uint8_t> salt(16, 2), secret(8, 3), ad(12, 4);
    std::vector<std::uint8_t> tag(32);
    ASSERT_TRUE(Argon2id(password, salt, 32, 3, 4, tag, secret, ad));
    EXPECT_EQ(tag, Hex("0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659"));
}

// GCM's published test case 16 (AES-256, 96-bit nonce, associated data).
TEST(VaultCrypto, AesGcmGivesTheKnownAnswerAndRefusesAnyChange) {
    const auto key = Hex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    const auto nonce = Hex("cafebabefacedbaddecaf888");
    const auto ad = Hex("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    const auto plain =
        Hex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa"
            "0de657"
            "ba637b39");
    auto data = plain;
    std::vector<std::uint8_t> tag(kTagSize);
    ASSERT_TRUE(AesGcmSeal(key, nonce, ad, data, tag));
    EXPECT_EQ(data,
              Hex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa8cb08e48590dbb3da7b08b105682883"
                  "8c5f61e6393ba7a0abcc9f662"));
    EXPECT_EQ(tag, Hex("76fc6ece0f4e1768cddf8853bb2d551b"));
    const auto sealed = data;
    ASSERT_TRUE(AesGcmOpen(key, nonce, ad, data, tag));
    EXPECT_EQ(data, plain);
    // One bit changed in the tag, the associated data or the ciphertext: refused, and nothing of
    // the text is left in the buffer.
    for (int part = 0; part < 3; ++part) {
        SCOPED_TRACE(part);
        auto t = tag, a = ad, d = sealed;
        (part == 0 ? t : part == 1 ? a : d)[3] ^= 0x10;
        EXPECT_FALSE(AesGcmOpen(key, nonce, a, d, t));
        EXPECT_EQ(d, std::vector<std::uint8_t>(d.size(), 0));
    }
}

}  // namespace
}  // namespace tf::crypto
