#include "vault/vault_crypto.h"

#include <gcrypt.h>

#include <algorithm>

#include "base/wipe.h"

namespace tf::crypto {

namespace {

// Argon2id and the argon2 KDF interface arrived in 1.10.
constexpr char kMinimumGcrypt[] = "1.10.0";

bool Init() {
    if (!gcry_check_version(kMinimumGcrypt)) return false;
    // Secrets are held in our own buffers and wiped after use; libgcrypt's locked secure-memory pool
    // needs privileges to lock pages on the host, and without a pool it warns on every use.
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    return true;
}

class Cipher {
public:
    explicit Cipher(Bytes key) {
        if (gcry_cipher_open(&handle_, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_GCM, 0) != 0) {
            handle_ = nullptr;
        } else if (key.size() != kKeySize || gcry_cipher_setkey(handle_, key.data(), key.size()) != 0) {
            gcry_cipher_close(handle_);
            handle_ = nullptr;
        }
    }
    ~Cipher() {
        // Closing wipes the key schedule.
        if (handle_) gcry_cipher_close(handle_);
    }
    Cipher(const Cipher&) = delete;
    Cipher& operator=(const Cipher&) = delete;

    // Sets the nonce and authenticates the associated data.
    bool Start(Bytes nonce, Bytes ad) {
        return handle_ && nonce.size() == kNonceSize && gcry_cipher_setiv(handle_, nonce.data(), nonce.size()) == 0 &&
               (ad.empty() || gcry_cipher_authenticate(handle_, ad.data(), ad.size()) == 0);
    }
    gcry_cipher_hd_t get() const { return handle_; }

private:
    gcry_cipher_hd_t handle_ = nullptr;
};

bool Mac(int algo, unsigned flags, Bytes key, Bytes message, MutableBytes out) {
    if (!Ready() || out.size() != 32) return false;
    gcry_md_hd_t md;
    if (gcry_md_open(&md, algo, flags) != 0) return false;
    bool ok = key.empty() || gcry_md_setkey(md, key.data(), key.size()) == 0;
    if (ok) {
        gcry_md_write(md, message.data(), message.size());
        const unsigned char* digest = gcry_md_read(md, algo);
        ok = digest != nullptr;
        if (ok) std::copy(digest, digest + 32, out.begin());
    }
    // Closing wipes the HMAC's key state.
    gcry_md_close(md);
    return ok;
}

}  // namespace

bool Ready() {
    static const bool ready = Init();
    return ready;
}

bool Argon2id(std::string_view password, Bytes salt, std::uint32_t memoryKib, std::uint32_t passes, std::uint32_t lanes,
              MutableBytes out, Bytes secret, Bytes ad) {
    if (!Ready()) return false;
    const unsigned long params[4] = {static_cast<unsigned long>(out.size()), passes, memoryKib, lanes};
    gcry_kdf_hd_t hd;
    if (gcry_kdf_open(&hd, GCRY_KDF_ARGON2, GCRY_KDF_ARGON2ID, params, 4, password.data(), password.size(), salt.data(),
                      salt.size(), secret.data(), secret.size(), ad.data(), ad.size()) != 0) {
        return false;
    }
    // Without thread operations libgcrypt fills the lanes one after the other on this thread.
    const bool ok = gcry_kdf_compute(hd, nullptr) == 0 && gcry_kdf_final(hd, out.size(), out.data()) == 0;
    // Closing wipes and frees the memory blocks.
    gcry_kdf_close(hd);
    if (!ok) WipeMemory(out.data(), out.size());
    return ok;
}

bool AesGcmSeal(Bytes key, Bytes nonce, Bytes ad, MutableBytes data, MutableBytes tag) {
    if (!Ready() || tag.size() != kTagSize) return false;
    Cipher cipher(key);
    return cipher.Start(nonce, ad) && gcry_cipher_final(cipher.get()) == 0 &&
           gcry_cipher_encrypt(cipher.get(), data.data(), data.size(), nullptr, 0) == 0 &&
           gcry_cipher_gettag(cipher.get(), tag.data(), tag.size()) == 0;
}

bool AesGcmOpen(Bytes key, Bytes nonce, Bytes ad, MutableBytes data, Bytes tag) {
    if (!Ready() || tag.size() != kTagSize) return false;
    Cipher cipher(key);
    const bool ok = cipher.Start(nonce, ad) && gcry_cipher_final(cipher.get()) == 0 &&
                    gcry_cipher_decrypt(cipher.get(), data.data(), data.size(), nullptr, 0) == 0 &&
                    gcry_cipher_checktag(cipher.get(), tag.data(), tag.size()) == 0;
    // Bytes that failed the check are not to be looked at, and may be the real text under a wrong tag.
    if (!ok) WipeMemory(data.data(), data.size());
    return ok;
}

bool HmacSha256(Bytes key, Bytes message, MutableBytes out) {
    return Mac(GCRY_MD_SHA256, GCRY_MD_FLAG_HMAC, key, message, out);
}

bool Sha256(Bytes message, MutableBytes out) { return Mac(GCRY_MD_SHA256, 0, {}, message, out); }

bool SameBytes(Bytes a, Bytes b) {
    if (a.size() != b.size()) return false;
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) diff |= a[i] ^ b[i];
    return diff == 0;
}

}  // namespace tf::crypto
