#include "vault/protected_vault.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

#include "base/wipe.h"

namespace tf {

namespace {

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

// Each byte's value in the alphabet; 64 for any other byte.
constexpr std::array<std::uint8_t, 256> kBase64Values = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(64);
    for (std::uint8_t i = 0; i < 64; ++i) values[static_cast<unsigned char>(kBase64[i])] = i;
    return values;
}();

std::uint8_t At(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

// Appends the base64 text of `bytes` (a whole vault is some megabytes: written by index, not grown).
void AppendBase64(std::string& out, std::string_view bytes) {
    std::size_t o = out.size();
    out.resize(o + (bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3, o += 4) {
        const std::uint32_t n = At(bytes, i) << 16 | At(bytes, i + 1) << 8 | At(bytes, i + 2);
        out[o] = kBase64[n >> 18];
        out[o + 1] = kBase64[n >> 12 & 63];
        out[o + 2] = kBase64[n >> 6 & 63];
        out[o + 3] = kBase64[n & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const std::uint32_t n = At(bytes, i) << 16 | (two ? At(bytes, i + 1) << 8 : 0);
        out[o] = kBase64[n >> 18];
        out[o + 1] = kBase64[n >> 12 & 63];
        out[o + 2] = two ? kBase64[n >> 6 & 63] : '=';
        out[o + 3] = '=';
    }
}

// Only the canonical form (padding, zero spare bits) is accepted: one file has one spelling.
bool FromBase64(std::string_view text, std::string& out) {
    if (text.size() % 4 != 0) return false;
    const std::size_t pad = text.empty() ? 0 : (text.back() == '=') + (text.size() >= 2 && text.ends_with("=="));
    out.resize(text.size() / 4 * 3 - pad);
    std::size_t o = 0;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const std::uint32_t a = kBase64Values[At(text, i)], b = kBase64Values[At(text, i + 1)];
        const std::uint32_t c = last && pad == 2 ? 0 : kBase64Values[At(text, i + 2)];
        const std::uint32_t d = last && pad >= 1 ? 0 : kBase64Values[At(text, i + 3)];
        if ((a | b | c | d) & 64) return false;
        const std::uint32_t n = a << 18 | b << 12 | c << 6 | d;
        if (last && ((pad == 1 && (n & 0xFF)) || (pad == 2 && (n & 0xFFFF)))) return false;
        out[o++] = static_cast<char>(n >> 16);
        if (!last || pad < 2) out[o++] = static_cast<char>(n >> 8);
        if (!last || pad < 1) out[o++] = static_cast<char>(n);
    }
    return true;
}

crypto::Bytes AsBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}
crypto::MutableBytes AsMutableBytes(std::string& text, std::size_t at, std::size_t size) {
    return {reinterpret_cast<std::uint8_t*>(text.data()) + at, size};
}

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

std::uint32_t GetU32(std::string_view in, std::size_t at) {
    return std::uint32_t{At(in, at)} | std::uint32_t{At(in, at + 1)} << 8 | std::uint32_t{At(in, at + 2)} << 16 |
           std::uint32_t{At(in, at + 3)} << 24;
}

// The magic followed by `bytes`: what the header digest and the tag cover.
std::vector<std::uint8_t> MagicThen(crypto::Bytes bytes) {
    std::vector<std::uint8_t> out(kProtectedMagic.size() + bytes.size());
    std::copy(kProtectedMagic.begin(), kProtectedMagic.end(), out.begin());
    std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(kProtectedMagic.size()));
    return out;
}

// Tells a damaged header from a wrong password before any key is derived.
std::array<std::uint8_t, kDigestSize> HeaderDigest(crypto::Bytes headBeforeDigest) {
    std::array<std::uint8_t, 32> full{};
    crypto::Sha256(MagicThen(headBeforeDigest), full);
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

// The file decoded into `blob` and its header read; the first `headSize` bytes of `blob` are the header.
OpenStatus Decode(std::string_view bytes, ProtectedHeader& header, std::string& blob, std::size_t& headSize) {
    if (!IsProtectedVault(bytes) || bytes.size() > kMaxFile) return OpenStatus::kDamaged;
    if (!FromBase64(bytes.substr(kProtectedMagic.size()), blob) || blob.empty()) return OpenStatus::kDamaged;
    header.version = At(blob, 0);
    if (header.version != kProtectedVersion) return OpenStatus::kUnknownVersion;
    if (blob.size() < kFixedHead) return OpenStatus::kDamaged;
    header.params = {GetU32(blob, 1), GetU32(blob, 5), GetU32(blob, 9)};
    const std::uint32_t saltSize = GetU32(blob, 13);
    // Checked before the size is used for anything: a hostile length never reaches an allocation.
    if (saltSize < kdf_limits::kMinSalt || saltSize > kdf_limits::kMaxSalt) return OpenStatus::kUnsupportedParams;
    headSize = kFixedHead + saltSize + kTailOfHead;
    if (blob.size() < headSize + crypto::kTagSize) return OpenStatus::kDamaged;
    const crypto::Bytes head = AsBytes(blob).first(headSize);
    const auto digest = HeaderDigest(head.first(headSize - kDigestSize));
    if (!crypto::SameBytes(digest, head.last(kDigestSize))) return OpenStatus::kDamaged;
    if (!KdfParamsAccepted(header.params)) return OpenStatus::kUnsupportedParams;
    const crypto::Bytes salt = head.subspan(kFixedHead, saltSize);
    header.salt.assign(salt.begin(), salt.end());
    std::copy_n(salt.end(), crypto::kNonceSize, header.nonce.begin());
    std::copy_n(salt.end() + crypto::kNonceSize, kKeyCheckSize, header.keyCheck.begin());
    return OpenStatus::kOpened;
}

double TimeOneDerivation(const KdfParams& params) {
    const auto start = std::chrono::steady_clock::now();
    // Any password and salt take the same time.
    DeriveVaultKey("calibration", params, std::vector<std::uint8_t>(kdf_limits::kNewSalt, 0));
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

std::optional<std::string> SealVault(std::string inner, const VaultKey& key, const RandomBytes& random) {
    const std::size_t innerSize = inner.size();
    if (innerSize > kdf_limits::kMaxInner) {
        WipeString(inner);
        return std::nullopt;
    }
    const KdfParams& params = key.Params();
    std::string head;
    head.push_back(static_cast<char>(kProtectedVersion));
    PutU32(head, params.memoryKib);
    PutU32(head, params.passes);
    PutU32(head, params.lanes);
    PutU32(head, static_cast<std::uint32_t>(key.Salt().size()));
    head.append(key.Salt().begin(), key.Salt().end());
    std::array<std::uint8_t, crypto::kNonceSize> nonce{};
    const bool haveNonce = random && random(nonce.data(), nonce.size());
    head.append(nonce.begin(), nonce.end());
    const auto check = KeyCheck(key);
    head.append(check.begin(), check.end());
    const auto digest = HeaderDigest(AsBytes(head));
    head.append(digest.begin(), digest.end());
    // Encrypted where it lies, with the header put before it and the tag after it: no second copy
    // of the plain bytes is made, and no plain byte is left once it is done.
    std::array<std::uint8_t, crypto::kTagSize> tag{};
    if (!haveNonce ||
        !crypto::AesGcmSeal(key.Key(), nonce, MagicThen(AsBytes(head)), AsMutableBytes(inner, 0, innerSize), tag)) {
        WipeString(inner);
        return std::nullopt;
    }
    std::string& blob = inner;
    blob.insert(0, head);
    blob.append(tag.begin(), tag.end());
    std::string file(kProtectedMagic);
    file.reserve(kProtectedMagic.size() + (blob.size() + 2) / 3 * 4);
    AppendBase64(file, blob);
    return file;
}

OpenStatus ReadProtectedHeader(std::string_view bytes, ProtectedHeader& header) {
    std::string blob;
    std::size_t headSize = 0;
    return Decode(bytes, header, blob, headSize);
}

OpenedVault::~OpenedVault() { WipeString(inner); }

OpenedVault OpenVault(std::string_view bytes, std::string_view password) {
    OpenedVault result;
    ProtectedHeader header;
    std::size_t headSize = 0;
    // Decrypted where it lies, then the header and the tag taken off: the plain bytes are never copied.
    std::string& blob = result.inner;
    result.status = Decode(bytes, header, blob, headSize);
    if (result.status != OpenStatus::kOpened) {
        blob.clear();
        return result;
    }
    std::optional<VaultKey> key = DeriveVaultKey(password, header.params, header.salt);
    if (!key || !crypto::SameBytes(KeyCheck(*key), header.keyCheck)) {
        // Parameters within the caps leave only the library failing (memory it could not have).
        result.status = key ? OpenStatus::kWrongPassword : OpenStatus::kUnsupportedParams;
        blob.clear();
        return result;
    }
    const std::size_t innerSize = blob.size() - headSize - crypto::kTagSize;
    const crypto::Bytes tag = AsBytes(blob).last(crypto::kTagSize);
    if (!crypto::AesGcmOpen(key->Key(), header.nonce, MagicThen(AsBytes(blob).first(headSize)),
                            AsMutableBytes(blob, headSize, innerSize), tag)) {
        result.status = OpenStatus::kDamaged;
        blob.clear();
        return result;
    }
    blob.resize(headSize + innerSize);
    blob.erase(0, headSize);
    result.key = std::move(key);
    return result;
}

}  // namespace tf
