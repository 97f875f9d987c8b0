#include "vault/protected_vault.h"

#include <gtest/gtest.h>

#include <random>

#include "fake_file_system.h"
#include "vault/vault_file.h"

namespace tf {
namespace {

using testing::FakeFileSystem;
using Blob = std::vector<std::uint8_t>;

// Small costs: the sanitizers make 64 MiB slow, and the format accepts these on purpose.
constexpr KdfParams kSmall{64, 1, 1};
const std::string kData = "/v/Data.db";

std::vector<LoginRecord> RandomRecords(std::mt19937& gen, int count) {
    std::vector<LoginRecord> records(static_cast<std::size_t>(count));
    const char* const pieces[] = {"a", "中文", ",", "\"", "\r\n", "😀", " ", "0", "-"};
    for (LoginRecord& r : records) {
        for (std::string& field : r.fields) {
            for (unsigned n = gen() % 6; n > 0; --n) field += pieces[gen() % std::size(pieces)];
        }
    }
    return records;
}

VaultKey NewKey(std::string_view password, const KdfParams& params = kSmall) {
    return *DeriveNewVaultKey(password, params, SystemRandomBytes);
}

std::string Seal(std::string inner, std::string_view password) {
    return *SealVault(std::move(inner), NewKey(password), SystemRandomBytes);
}

// The file's binary part, to alter it as damage or a hostile writer would.
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
Blob Unwrap(const std::string& file) {
    Blob out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : file.substr(kProtectedMagic.size())) {
        if (c == '=') break;
        bits = bits << 6 | static_cast<std::uint32_t>(std::string_view(kAlphabet).find(c));
        if ((count += 6) >= 8) out.push_back(static_cast<std::uint8_t>(bits >> (count -= 8)));
    }
    return out;
}
std::string Wrap(const Blob& blob) {
    std::string out(kProtectedMagic);
    for (std::size_t i = 0; i < blob.size(); i += 3) {
        std::uint32_t n = blob[i] << 16;
        if (i + 1 < blob.size()) n |= blob[i + 1] << 8;
        if (i + 2 < blob.size()) n |= blob[i + 2];
        for (std::size_t k = 0; k < 4; ++k) out += i + k <= blob.size() ? kAlphabet[n >> (18 - 6 * k) & 63] : '=';
    }
    return out;
}
void PutU32(Blob& blob, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) blob[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
// The header digest made right again after a change, as a hostile writer would.
void Redigest(Blob& blob) {
    const std::size_t salt = blob[13] | blob[14] << 8 | blob[15] << 16 | std::size_t{blob[16]} << 24;
    const std::size_t digestAt = 17 + salt + 12 + 16;
    Blob message(kProtectedMagic.begin(), kProtectedMagic.end());
    message.insert(message.end(), blob.begin(), blob.begin() + static_cast<std::ptrdiff_t>(digestAt));
    std::array<std::uint8_t, 32> sha{};
    crypto::Sha256(message, sha);
    std::copy_n(sha.begin(), 16, blob.begin() + static_cast<std::ptrdiff_t>(digestAt));
}

TEST(ProtectedVault, OpensWithItsPasswordOnlyAndEverySaveHasANewNonce) {
    std::mt19937 gen(7);
    const std::string inner = FormatVault(RandomRecords(gen, 5));
    const VaultKey key = NewKey("pässword");
    const std::string file = *SealVault(inner, key, SystemRandomBytes);
    EXPECT_TRUE(IsProtectedVault(file));
    OpenedVault opened = OpenVault(file, "pässword");
    ASSERT_EQ(opened.status, OpenStatus::kOpened);
    EXPECT_EQ(opened.inner, inner);
    EXPECT_TRUE(crypto::SameBytes(opened.key->Key(), key.Key()));
    EXPECT_EQ(opened.key->Salt(), key.Salt());
    EXPECT_EQ(opened.key->Params(), kSmall);
    const OpenedVault wrong = OpenVault(file, "password");
    EXPECT_EQ(wrong.status, OpenStatus::kWrongPassword);
    EXPECT_FALSE(wrong.key);
    // The same key saving the same records again: another nonce, so other ciphertext.
    const Blob a = Unwrap(file), b = Unwrap(*SealVault(inner, key, SystemRandomBytes));
    const std::size_t nonceAt = 17 + key.Salt().size();
    EXPECT_NE(Blob(a.begin() + nonceAt, a.begin() + nonceAt + 12), Blob(b.begin() + nonceAt, b.begin() + nonceAt + 12));
    EXPECT_NE(NewKey("pässword").Salt(), key.Salt());
    // No randomness, no file.
    EXPECT_FALSE(SealVault(inner, key, [](void*, std::size_t) { return false; }));
}

// A program that reads only plain vaults must fail on a protected one (and so keep it aside at its
// next save) rather than load it as records of its own and overwrite it.
TEST(ProtectedVault, PlainReaderRefusesEveryProtectedFile) {
    std::mt19937 gen(11);
    for (int n = 0; n < 40; ++n) {
        const std::string file = Seal(FormatVault(RandomRecords(gen, n % 9)), std::to_string(n));
        SCOPED_TRACE(file);
        FileError error;
        EXPECT_FALSE(ParseVault(file, error));
        EXPECT_EQ(error.code, 62);
    }
}

TEST(ProtectedVault, CalibrationStaysWithinTheFloorsCapsAndAboutASecond) {
    // Seconds a derivation costs at 64 MiB: fixed, and per pass; from a very fast machine to a
    // very slow one, and one (Wine's) where getting the memory costs more than several passes.
    const std::pair<double, double> machines[] = {{0, 1e-5},    {0.001, 0.004}, {0.2, 0.04}, {0.02, 0.1},
                                                  {0.05, 0.26}, {0.1, 0.45},    {0.3, 0.5},  {5, 30}};
    for (const auto& [fixed, perPass] : machines) {
        SCOPED_TRACE(::testing::Message() << fixed << " + " << perPass << " per pass");
        const auto cost = [&](const KdfParams& p) { return (fixed + perPass * p.passes) * p.memoryKib / (64 * 1024); };
        const KdfParams p = CalibrateKdf([&](const KdfParams& probe) {
            EXPECT_EQ(probe.memoryKib, 64u * 1024);
            return cost(probe);
        });
        EXPECT_TRUE(KdfParamsAccepted(p));
        EXPECT_GE(p.memoryKib, 19u * 1024);
        EXPECT_GE(p.passes, 2u);
        const bool atALimit =
            p.memoryKib == 19 * 1024 || p.passes * std::uint64_t{p.memoryKib} == kdf_limits::kMaxWorkKib;
        if (!atALimit) {
            EXPECT_TRUE(cost(p) >= 0.5 && cost(p) <= 1.0) << cost(p);
        }
    }
}

struct Damage {
    const char* name;
    std::function<std::string(std::string)> make;
    OpenStatus status;
};

std::function<std::string(std::string)> Edit(std::function<void(Blob&)> change, bool redigest = false) {
    return [=](std::string file) {
        Blob blob = Unwrap(file);
        change(blob);
        if (redigest) Redigest(blob);
        return Wrap(blob);
    };
}
std::function<std::string(std::string)> Param(std::size_t at, std::uint32_t value) {
    return Edit([=](Blob& b) { PutU32(b, at, value); }, true);
}
std::function<std::string(std::string)> Flip(std::size_t at) {
    return Edit([=](Blob& b) { b[at < b.size() ? at : b.size() - (~at + 1)] ^= 0x04; });
}
std::function<std::string(std::string)> SaltOf(std::size_t size) {
    return Edit(
        [=](Blob& b) {
            const Blob rest(b.begin() + 17 + 32, b.end());
            b.resize(17);
            PutU32(b, 13, static_cast<std::uint32_t>(size));
            b.resize(17 + size, 0x5a);
            b.insert(b.end(), rest.begin(), rest.end());
        },
        true);
}

// Each kind of damage gives its own answer, and "Data.db" stays as it was: the unlock changes
// nothing, a save is refused without a key, and making a new vault keeps the old file aside.
TEST(ProtectedVault, DamageIsToldApartAndTheFileIsKept) {
    const std::size_t salt = 17, nonce = 17 + 32, check = nonce + 12, digest = check + 16, body = digest + 16;
    const std::size_t tagEnd = ~std::size_t{0};  // counted from the end
    const Damage cases[] = {
        {"sound", [](std::string f) { return f; }, OpenStatus::kOpened},
        {"wrong password", [](std::string f) { return f; }, OpenStatus::kWrongPassword},
        {"magic only", [](std::string f) { return f.substr(0, 5); }, OpenStatus::kDamaged},
        {"cut in the header", [](std::string f) { return f.substr(0, 60); }, OpenStatus::kDamaged},
        {"cut by a group", [](std::string f) { return f.substr(0, f.size() - 4); }, OpenStatus::kDamaged},
        {"cut by a character", [](std::string f) { return f.substr(0, f.size() - 1); }, OpenStatus::kDamaged},
        {"line end added", [](std::string f) { return f + "\r\n"; }, OpenStatus::kDamaged},
        {"not base64", [](std::string f) { return f.replace(20, 1, "*"); }, OpenStatus::kDamaged},
        {"memory bit", Flip(2), OpenStatus::kDamaged},
        {"salt bit", Flip(salt + 3), OpenStatus::kDamaged},
        {"nonce bit", Flip(nonce), OpenStatus::kDamaged},
        {"key check bit", Flip(check + 15), OpenStatus::kDamaged},
        {"digest bit", Flip(digest), OpenStatus::kDamaged},
        {"ciphertext bit", Flip(body + 40), OpenStatus::kDamaged},
        {"tag bit", Flip(tagEnd), OpenStatus::kDamaged},
        {"version 2", Edit([](Blob& b) { b[0] = 2; }), OpenStatus::kUnknownVersion},
        {"version 0", Edit([](Blob& b) { b[0] = 0; }), OpenStatus::kUnknownVersion},
        {"no memory", Param(1, 0), OpenStatus::kUnsupportedParams},
        {"memory under the lanes' minimum", Param(1, 7), OpenStatus::kUnsupportedParams},
        {"memory 4 GiB", Param(1, 0xFFFFFFFF), OpenStatus::kUnsupportedParams},
        {"memory 1 GiB + 1 KiB", Param(1, (1u << 20) + 1), OpenStatus::kUnsupportedParams},
        {"no pass", Param(5, 0), OpenStatus::kUnsupportedParams},
        {"65 passes", Param(5, 65), OpenStatus::kUnsupportedParams},
        {"no lane", Param(9, 0), OpenStatus::kUnsupportedParams},
        {"17 lanes", Param(9, 17), OpenStatus::kUnsupportedParams},
        {"1 GiB x 5 passes", Edit([](Blob& b) { PutU32(b, 1, 1u << 20), PutU32(b, 5, 5); }, true),
         OpenStatus::kUnsupportedParams},
        {"salt of 0 bytes", SaltOf(0), OpenStatus::kUnsupportedParams},
        {"salt of 15 bytes", SaltOf(15), OpenStatus::kUnsupportedParams},
        {"salt of 10 MB", SaltOf(10'000'000), OpenStatus::kUnsupportedParams},
        {"salt length past the end", Edit([](Blob& b) { PutU32(b, 13, 0xFFFFFFF0); }), OpenStatus::kUnsupportedParams},
    };
    std::mt19937 gen(3);
    const std::vector<LoginRecord> records = RandomRecords(gen, 3);
    const std::string sound = Seal(FormatVault(records), "pw");
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = c.make(sound);
        FakeFileSystem fs;
        fs.files[kData] = file;
        VaultFile vault(fs, "/v");
        EXPECT_EQ(vault.Probe(), DataFileKind::kProtected);
        std::vector<LoginRecord> loaded;
        const UnlockResult result = vault.Unlock(c.status == OpenStatus::kWrongPassword ? "Pw" : "pw", loaded);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(loaded, c.status == OpenStatus::kOpened ? records : std::vector<LoginRecord>{});
        EXPECT_EQ(result.message.empty(), c.status == OpenStatus::kOpened) << result.message;
        if (c.status == OpenStatus::kOpened) continue;
        std::string message;
        EXPECT_TRUE(vault.WriteDataFile(RandomRecords(gen, 1), message));
        EXPECT_EQ(fs.files, (std::map<std::string, std::string>{{kData, file}}));
        // A new password starts a new vault only where the old one is unreadable, and keeps it aside.
        const bool locked = c.status == OpenStatus::kWrongPassword;
        EXPECT_EQ(vault.Protect(records, "new", kSmall, message), locked) << message;
        EXPECT_EQ(fs.files.at(locked ? kData : kData + ".bad"), file);
    }
}

}  // namespace
}  // namespace tf
