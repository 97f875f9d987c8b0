#include "vault/protected_vault.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "base/wipe.h"

namespace tf {

namespace {

using Blob = std::vector<std::uint8_t>;

// The binary header after the base64 decoding: version, memory, passes, lanes, salt length
// (little-endian 32-bit numbers), then the salt, the nonce, the key check and the header digest.
constexpr std::size_t kFixedHead = 1 + 4 * 4;
constexpr std::size_t kKeyCheckSize = 16;
constexpr std::size_t kDigestSize = 16;
constexpr std::size_t kTailOfHead = crypto::kNonceSize + kKeyCheckSize + kDigestSize;
constexpr std::size_t kMaxBlob =
    kFixedHead + kdf_limits::kMaxSalt + kTailOfHead + kdf_limits::kMaxInner + crypto::kTagSize;
constexpr std::size_t kMaxFile = kProtectedMagic.size() + (kMaxBlob + 2) / 3 * 4;
constexpr std::string_view kKeyCheckLabel = "Tamborvin Form vault key check";

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string ToBase64(const Blob& blob) {
    std::string out;
    out.reserve((blob.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= blob.size(); i += 3) {
        const std::uint32_t n = blob[i] << 16 | blob[i + 1] << 8 | blob[i + 2];
        for (int shift : {18, 12, 6, 0}) out.push_back(kBase64[n >> shift & 63]);
    }
    if (i < blob.size()) {
        const bool two = i + 1 < blob.size();
        const std::uint32_t n = blob[i] << 16 | (two ? blob[i + 1] << 8 : 0);
        out.push_back(kBase64[n >> 18 & 63]);
        out.push_back(kBase64[n >> 12 & 63]);
        out.push_back(two ? kBase64[n >> 6 & 63] : '=');
        out.push_back('=');
    }
    return out;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Only the canonical form (padding, zero spare bits) is accepted: one file has one spelling.
std::optional<Blob> FromBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    Blob out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=' && text[i + 3] == '=') : 0;
        std::uint32_t n = 0;
        for (int k = 0; k < 4; ++k) {
            const int v = k >= 4 - pad ? 0 : Base64Value(text[i + k]);
            if (v < 0) return std::nullopt;
            n = n << 6 | static_cast<std::uint32_t>(v);
        }
        if ((pad == 1 && (n & 0xFF)) || (pad == 2 && (n & 0xFFFF))) return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(n >> 16));
        if (pad < 2) out.push_back(static_cast<std::uint8_t>(n >> 8));
        if (pad < 1) out.push_back(static_cast<std::uint8_t>(n));
    }
    return out;
}

void PutU32(Blob& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t GetU32(const Blob& in, std::size_t at) {
    return static_cast<std::uint32_t>(in[at]) | static_cast<std::uint32_t>(in[at + 1]) << 8 |
           static_cast<std::uint32_t>(in[at + 2]) << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}

crypto::Bytes AsBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Tells a damaged header from a wrong password before any key is derived.
std::array<std::uint8_t, kDigestSize> HeaderDigest(crypto::Bytes headBeforeDigest) {
    Blob message(kProtectedMagic.begin(), kProtectedMagic.end());
    message.insert(message.end(), headBeforeDigest.begin(), headBeforeDigest.end());
    std::array<std::uint8_t, 32> full{};
    crypto::Sha256(message, full);
    std::array<std::uint8_t, kDigestSize> digest{};
    std::copy_n(full.begin(), kDigestSize, digest.begin());
    return digest;
}

std::array<std::uint8_t, kKeyCheckSize> KeyCheck(const VaultKey& key) {
    std::array<std::uint8_t, 32> mac{};
    crypto::HmacSha256(key.Key(), AsBytes(kKeyCheckLabel), mac);
    std::array<std::uint8_t, kKeyCheckSize> check{};
    std::copy_n(mac.begin(), kKeyCheckSize, check.begin());
    return check;
}

// The file decoded and its header read; `headSize` bytes of `blob` are the header.
OpenStatus Decode(std::string_view bytes, ProtectedHeader& header, Blob& blob, std::size_t& headSize) {
    if (!IsProtectedVault(bytes) || bytes.size() > kMaxFile) return OpenStatus::kDamaged;
    std::optional<Blob> decoded = FromBase64(bytes.substr(kProtectedMagic.size()));
    if (!decoded || decoded->empty()) return OpenStatus::kDamaged;
    blob = std::move(*decoded);
    header.version = blob[0];
    if (header.version != kProtectedVersion) return OpenStatus::kUnknownVersion;
    if (blob.size() < kFixedHead) return OpenStatus::kDamaged;
    header.params = {GetU32(blob, 1), GetU32(blob, 5), GetU32(blob, 9)};
    const std::uint32_t saltSize = GetU32(blob, 13);
    // Checked before the size is used for anything: a hostile length never reaches an allocation.
    if (saltSize < kdf_limits::kMinSalt || saltSize > kdf_limits::kMaxSalt) return OpenStatus::kUnsupportedParams;
    headSize = kFixedHead + saltSize + kTailOfHead;
    if (blob.size() < headSize + crypto::kTagSize) return OpenStatus::kDamaged;
    const auto digest = HeaderDigest({blob.data(), headSize - kDigestSize});
    if (!crypto::SameBytes(digest, {blob.data() + headSize - kDigestSize, kDigestSize})) return OpenStatus::kDamaged;
    if (!KdfParamsAccepted(header.params)) return OpenStatus::kUnsupportedParams;
    auto at = blob.begin() + kFixedHead;
    header.salt.assign(at, at + saltSize);
    at += saltSize;
    std::copy_n(at, crypto::kNonceSize, header.nonce.begin());
    at += crypto::kNonceSize;
    std::copy_n(at, kKeyCheckSize, header.keyCheck.begin());
    return OpenStatus::kOpened;
}

// What the tag covers besides the ciphertext: the magic and the whole header.
Blob AssociatedData(const Blob& blob, std::size_t headSize) {
    Blob ad(kProtectedMagic.begin(), kProtectedMagic.end());
    ad.insert(ad.end(), blob.begin(), blob.begin() + static_cast<std::ptrdiff_t>(headSize));
    return ad;
}

double TimeOneDerivation(const KdfParams& params) {
    const auto start = std::chrono::steady_clock::now();
    // Any password and salt take the same time.
    DeriveVaultKey("calibration", params, Blob(kdf_limits::kNewSalt, 0));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

bool KdfParamsAccepted(const KdfParams& p) {
    using namespace kdf_limits;
    return p.lanes >= 1 && p.lanes <= kMaxLanes && p.passes >= 1 && p.passes <= kMaxPasses &&
           p.memoryKib >= kMinMemoryKibPerLane * p.lanes && p.memoryKib <= kMaxMemoryKib &&
           std::uint64_t{p.memoryKib} * p.passes <= kMaxWorkKib;
}

VaultKey::VaultKey(const std::array<std::uint8_t, crypto::kKeySize>& key, std::vector<std::uint8_t> salt,
                   const KdfParams& params)
    : key_(key), salt_(std::move(salt)), params_(params) {}

VaultKey::~VaultKey() { Wipe(); }

VaultKey::VaultKey(VaultKey&& other) noexcept
    : key_(other.key_), salt_(std::move(other.salt_)), params_(other.params_) {
    other.Wipe();
}

VaultKey& VaultKey::operator=(VaultKey&& other) noexcept {
    if (this != &other) {
        Wipe();
        key_ = other.key_;
        salt_ = std::move(other.salt_);
        params_ = other.params_;
        other.Wipe();
    }
    return *this;
}

void VaultKey::Wipe() { WipeMemory(key_.data(), key_.size()); }

bool VaultKey::Matches(std::string_view password) const {
    const std::optional<VaultKey> again = DeriveVaultKey(password, params_, salt_);
    return again && crypto::SameBytes(again->Key(), Key());
}

std::optional<VaultKey> DeriveVaultKey(std::string_view password, const KdfParams& params,
                                       std::vector<std::uint8_t> salt) {
    if (!KdfParamsAccepted(params) || salt.size() < kdf_limits::kMinSalt || salt.size() > kdf_limits::kMaxSalt) {
        return std::nullopt;
    }
    std::array<std::uint8_t, crypto::kKeySize> key{};
    if (!crypto::Argon2id(password, salt, params.memoryKib, params.passes, params.lanes, key)) return std::nullopt;
    VaultKey result(key, std::move(salt), params);
    WipeMemory(key.data(), key.size());
    return result;
}

std::optional<VaultKey> DeriveNewVaultKey(std::string_view password, const KdfParams& params,
                                          const RandomBytes& random) {
    std::vector<std::uint8_t> salt(kdf_limits::kNewSalt);
    if (!random || !random(salt.data(), salt.size())) return std::nullopt;
    return DeriveVaultKey(password, params, std::move(salt));
}

KdfParams CalibrateKdf(const std::function<double(const KdfParams&)>& timeOne) {
    constexpr double kTarget = 0.75, kMost = 1.0;
    constexpr std::uint32_t kMemory = 64 * 1024, kFloorMemory = 19 * 1024, kFloorPasses = 2;
    const auto measure = [&](std::uint32_t passes) {
        const KdfParams probe{kMemory, passes, 1};
        return timeOne ? timeOne(probe) : TimeOneDerivation(probe);
    };
    // A derivation costs a fixed part (fresh memory from the system, touched for the first time:
    // several passes' worth under Wine) and a part per pass, which the passes multiply.
    const double one = measure(1), three = measure(3);
    // A noisy pair of measures must not make a pass look free (and the passes many).
    const double perPass = std::max({(three - one) / 2, three / 10, 1e-6});
    const double fixed = std::max(one - perPass, 0.0);
    if (fixed + kFloorPasses * perPass <= kMost) {
        const double passes = std::clamp(std::round((kTarget - fixed) / perPass), double{kFloorPasses},
                                         double{kdf_limits::kMaxWorkKib / kMemory});
        return {kMemory, static_cast<std::uint32_t>(passes), 1};
    }
    // Too slow for 2 passes at 64 MiB: less memory (both parts shrink with it), whole MiB, never
    // under the floor.
    const double mib = std::floor(kMemory / 1024.0 * kTarget / (fixed + kFloorPasses * perPass));
    return {std::max(kFloorMemory, static_cast<std::uint32_t>(mib) * 1024), kFloorPasses, 1};
}

bool IsProtectedVault(std::string_view bytes) { return bytes.substr(0, kProtectedMagic.size()) == kProtectedMagic; }

std::optional<std::string> SealVault(std::string_view inner, const VaultKey& key, const RandomBytes& random) {
    if (inner.size() > kdf_limits::kMaxInner) return std::nullopt;
    const KdfParams& params = key.Params();
    Blob blob;
    blob.reserve(kFixedHead + key.Salt().size() + kTailOfHead + inner.size() + crypto::kTagSize);
    blob.push_back(kProtectedVersion);
    PutU32(blob, params.memoryKib);
    PutU32(blob, params.passes);
    PutU32(blob, params.lanes);
    PutU32(blob, static_cast<std::uint32_t>(key.Salt().size()));
    blob.insert(blob.end(), key.Salt().begin(), key.Salt().end());
    std::array<std::uint8_t, crypto::kNonceSize> nonce{};
    if (!random || !random(nonce.data(), nonce.size())) return std::nullopt;
    blob.insert(blob.end(), nonce.begin(), nonce.end());
    const auto check = KeyCheck(key);
    blob.insert(blob.end(), check.begin(), check.end());
    const auto digest = HeaderDigest(blob);
    blob.insert(blob.end(), digest.begin(), digest.end());
    const std::size_t headSize = blob.size();
    const Blob ad = AssociatedData(blob, headSize);
    blob.insert(blob.end(), inner.begin(), inner.end());
    std::array<std::uint8_t, crypto::kTagSize> tag{};
    const crypto::MutableBytes data(blob.data() + headSize, inner.size());
    if (!crypto::AesGcmSeal(key.Key(), nonce, ad, data, tag)) {
        WipeMemory(blob.data(), blob.size());
        return std::nullopt;
    }
    blob.insert(blob.end(), tag.begin(), tag.end());
    return std::string(kProtectedMagic) + ToBase64(blob);
}

OpenStatus ReadProtectedHeader(std::string_view bytes, ProtectedHeader& header) {
    Blob blob;
    std::size_t headSize = 0;
    return Decode(bytes, header, blob, headSize);
}

OpenedVault::~OpenedVault() { WipeString(inner); }

OpenedVault OpenVault(std::string_view bytes, std::string_view password) {
    OpenedVault result;
    ProtectedHeader header;
    Blob blob;
    std::size_t headSize = 0;
    result.status = Decode(bytes, header, blob, headSize);
    if (result.status != OpenStatus::kOpened) return result;
    std::optional<VaultKey> key = DeriveVaultKey(password, header.params, header.salt);
    if (!key) {
        // The parameters passed the caps, so only the library (memory it could not have) failed.
        result.status = OpenStatus::kUnsupportedParams;
        return result;
    }
    if (!crypto::SameBytes(KeyCheck(*key), header.keyCheck)) {
        result.status = OpenStatus::kWrongPassword;
        return result;
    }
    const Blob ad = AssociatedData(blob, headSize);
    const std::size_t innerSize = blob.size() - headSize - crypto::kTagSize;
    const crypto::MutableBytes data(blob.data() + headSize, innerSize);
    const crypto::Bytes tag(blob.data() + headSize + innerSize, crypto::kTagSize);
    if (!crypto::AesGcmOpen(key->Key(), header.nonce, ad, data, tag)) {
        result.status = OpenStatus::kDamaged;
        return result;
    }
    result.inner.assign(data.begin(), data.end());
    WipeMemory(blob.data(), blob.size());
    result.key = std::move(key);
    return result;
}

}  // namespace tf
