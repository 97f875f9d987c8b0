#include "updater/signature_win.h"

#include "base/windows_api_win.h"

#include <bcrypt.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "updater/release_info.h"

namespace tf {
namespace {

// MinGW's headers leave out the status codes; the values are those of ntstatus.h.
constexpr NTSTATUS kSuccess = 0;

class Algorithm {
public:
    explicit Algorithm(const wchar_t* id) {
        if (BCryptOpenAlgorithmProvider(&handle_, id, nullptr, 0) != kSuccess) handle_ = nullptr;
    }
    ~Algorithm() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

std::optional<std::vector<std::uint8_t>> Sha256(const std::string& bytes) {
    Algorithm sha(BCRYPT_SHA256_ALGORITHM);
    if (!sha.get()) return std::nullopt;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (BCryptCreateHash(sha.get(), &hash, nullptr, 0, nullptr, 0, 0) != kSuccess) return std::nullopt;
    std::vector<std::uint8_t> digest(32);
    bool ok = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                             static_cast<ULONG>(bytes.size()), 0) == kSuccess &&
              BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) == kSuccess;
    BCryptDestroyHash(hash);
    if (!ok) return std::nullopt;
    return digest;
}

}  // namespace

bool VerifyFileSignature(const std::string& path, const std::vector<std::uint8_t>& signature,
                         const std::string& publicKeyHex) {
    // The key's hex has the signature's shape: two 32-byte numbers.
    std::optional<std::vector<std::uint8_t>> point = ParseSignature(publicKeyHex);
    if (!point || signature.size() != 64) return false;
    std::ifstream in(std::filesystem::path(Widen(path)), std::ios::binary);
    if (!in) return false;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    std::optional<std::vector<std::uint8_t>> digest = Sha256(bytes);
    if (!digest) return false;

    std::vector<std::uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB));
    auto* header = reinterpret_cast<BCRYPT_ECCKEY_BLOB*>(blob.data());
    header->dwMagic = BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header->cbKey = 32;
    blob.insert(blob.end(), point->begin(), point->end());

    Algorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    if (!ecdsa.get()) return false;
    BCRYPT_KEY_HANDLE key = nullptr;
    if (BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                            static_cast<ULONG>(blob.size()), 0) != kSuccess) {
        return false;
    }
    std::vector<std::uint8_t> sig = signature;
    bool valid = BCryptVerifySignature(key, nullptr, digest->data(), static_cast<ULONG>(digest->size()), sig.data(),
                                       static_cast<ULONG>(sig.size()), 0) == kSuccess;
    BCryptDestroyKey(key);
    return valid;
}

}  // namespace tf
