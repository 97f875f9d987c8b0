// The protected vault file: today's plain vault bytes, encrypted with AES-256-GCM under a key that
// Argon2id derives from the master password. docs/vault-format.md describes the bytes.
//
// The file is one opening quote, a magic and base64 text, with no other quote and no comma, so a
// reader of plain vaults sees a single quoted field running to the end of the data and fails
// ("Input past end of file") instead of loading or overwriting it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/system_random.h"
#include "vault/vault_crypto.h"

namespace tf {

// What starts every protected vault file.
inline constexpr std::string_view kProtectedMagic = "\"TFPV";
inline constexpr std::uint8_t kProtectedVersion = 1;

// Argon2id's costs. Lanes are filled one after the other here, so more lanes only add work.
struct KdfParams {
    std::uint32_t memoryKib = 64 * 1024;
    std::uint32_t passes = 3;
    std::uint32_t lanes = 1;
    bool operator==(const KdfParams&) const = default;
};

// What a file may ask for. Derivation time grows with memory x passes, so that product is capped
// too: a hostile file costs at most a few seconds and 1 GiB, never more.
namespace kdf_limits {
inline constexpr std::uint32_t kMaxMemoryKib = 1024 * 1024;  // 1 GiB
inline constexpr std::uint32_t kMinMemoryKibPerLane = 8;     // Argon2's own minimum
inline constexpr std::uint32_t kMaxPasses = 64;
inline constexpr std::uint32_t kMaxLanes = 16;
inline constexpr std::uint64_t kMaxWorkKib = 4ull * 1024 * 1024;  // memory x passes: 4 GiB
inline constexpr std::size_t kMinSalt = 16;
inline constexpr std::size_t kMaxSalt = 64;
inline constexpr std::size_t kNewSalt = 32;  // what new keys get
// The plain vault inside: far above any real vault (10,000 records are some 5 MiB).
inline constexpr std::size_t kMaxInner = 256u * 1024 * 1024;
}  // namespace kdf_limits

// Within every cap above.
bool KdfParamsAccepted(const KdfParams& params);

// The 32-byte key with the salt and parameters it was derived with; its bytes are wiped when it goes.
class VaultKey {
public:
    VaultKey(const std::array<std::uint8_t, crypto::kKeySize>& key, std::vector<std::uint8_t> salt,
             const KdfParams& params);
    ~VaultKey();
    VaultKey(VaultKey&& other) noexcept;
    VaultKey& operator=(VaultKey&& other) noexcept;
    VaultKey(const VaultKey&) = delete;
    VaultKey& operator=(const VaultKey&) = delete;

    crypto::Bytes Key() const { return key_; }
    const std::vector<std::uint8_t>& Salt() const { return salt_; }
    const KdfParams& Params() const { return params_; }
    // Whether `password` derives this same key (one derivation).
    bool Matches(std::string_view password) const;

private:
    void Wipe();

    std::array<std::uint8_t, crypto::kKeySize> key_{};
    std::vector<std::uint8_t> salt_;
    KdfParams params_;
};

// Empty when the parameters or salt are outside the caps, or the library failed.
std::optional<VaultKey> DeriveVaultKey(std::string_view password, const KdfParams& params,
                                       std::vector<std::uint8_t> salt);
// The same with a new random salt (kNewSalt bytes from `random`).
std::optional<VaultKey> DeriveNewVaultKey(std::string_view password, const KdfParams& params,
                                          const RandomBytes& random);

// Default parameters for new keys: 64 MiB, with as many passes (at least 2) as make one derivation
// take about 0.75 s here; a machine too slow for 2 passes at 64 MiB within 1 s gets less memory, down
// to 19 MiB. `timeOne` measures one derivation in seconds (the real one by default); it is called
// at 64 MiB with one pass and with three, which tell the fixed cost from the cost of a pass.
KdfParams CalibrateKdf(const std::function<double(const KdfParams&)>& timeOne = {});

// The file starts like a protected vault (whether or not the rest is sound).
bool IsProtectedVault(std::string_view bytes);

// The protected file holding `inner` (plain vault bytes), under a fresh random nonce from `random`.
// Empty when the random source or the library failed, or `inner` is over kMaxInner. `inner` is
// encrypted where it lies: a caller that moves its bytes in leaves no plain copy behind.
std::optional<std::string> SealVault(std::string inner, const VaultKey& key, const RandomBytes& random);

enum class OpenStatus {
    kOpened,
    kWrongPassword,
    kDamaged,            // cut short, altered, not a protected vault after all
    kUnknownVersion,     // written by a later version of the format
    kUnsupportedParams,  // key parameters or salt outside the caps
};

// The header as read from a file, before any key is derived.
struct ProtectedHeader {
    std::uint8_t version = 0;
    KdfParams params;
    std::vector<std::uint8_t> salt;
    std::array<std::uint8_t, crypto::kNonceSize> nonce{};
    std::array<std::uint8_t, 16> keyCheck{};
};

// Reads and checks the header only (no derivation): kOpened when it is sound and within the caps.
OpenStatus ReadProtectedHeader(std::string_view bytes, ProtectedHeader& header);

// The plain vault bytes inside, wiped when the result goes; the key, for saving again without
// deriving it anew.
struct OpenedVault {
    OpenStatus status = OpenStatus::kDamaged;
    std::string inner;
    std::optional<VaultKey> key;

    OpenedVault() = default;
    OpenedVault(OpenedVault&&) noexcept = default;
    ~OpenedVault();
};

// One derivation, for a header that passes ReadProtectedHeader.
OpenedVault OpenVault(std::string_view bytes, std::string_view password);

}  // namespace tf
