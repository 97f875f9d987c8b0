#include "vault/vault_lock.h"

#include "base/wipe.h"

namespace tf {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
// A sealed password is a few hundred bytes; a longer text is not one of ours.
constexpr std::size_t kMaxSealedText = 64 * 1024;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string SealedToText(const std::string& sealed) {
    std::string text;
    text.reserve(sealed.size() * 2);
    for (unsigned char byte : sealed) {
        text.push_back(kHexDigits[byte >> 4]);
        text.push_back(kHexDigits[byte & 15]);
    }
    return text;
}

std::optional<std::string> SealedFromText(const std::string& text) {
    if (text.empty() || text.size() % 2 != 0 || text.size() > kMaxSealedText) return std::nullopt;
    std::string sealed;
    sealed.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexValue(text[i]), low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        sealed.push_back(static_cast<char>(high * 16 + low));
    }
    return sealed;
}

StartUnlock OpenVaultAtStart(
    Session& session, SettingsStore& store, VaultProtection protection,
    const std::function<bool(
        const std::string& notice,
        const std::function<VaultLock::Unlocked(const std::string& typed, std::string& failure)>& tryPassword)>& prompt,
    std::string& failure) {
    if (!protection.lock.Protected()) return StartUnlock::kPlain;
    std::string notice;
    if (session.RememberPassword) {
        const std::optional<std::string> text = store.GetSetting(kSealedPasswordSetting);
        const std::optional<std::string> sealed = text ? SealedFromText(*text) : std::nullopt;
        std::optional<std::string> remembered = sealed ? protection.sealer.Open(*sealed) : std::nullopt;
        if (remembered) {
            const VaultLock::Unlocked opened = protection.lock.Unlock(*remembered, failure);
            if (opened == VaultLock::Unlocked::kOpened) {
                session.MasterPassword = std::move(*remembered);
                return StartUnlock::kOpened;
            }
            WipeString(*remembered);
            if (opened == VaultLock::Unlocked::kFailed) return StartUnlock::kFailed;
        }
        // Remembered, but Windows could not give it back for this user (or it no longer opens
        // the vault): asked for like any other time.
        notice = kRememberedUnreadable;
    }
    bool failed = false;
    std::string opener;
    const bool accepted = prompt(notice, [&](const std::string& typed, std::string& why) {
        const VaultLock::Unlocked opened = protection.lock.Unlock(typed, why);
        if (opened == VaultLock::Unlocked::kOpened) opener = typed;
        failed = opened == VaultLock::Unlocked::kFailed;
        if (failed) failure = why;
        return opened;
    });
    if (failed) return StartUnlock::kFailed;
    if (!accepted || opener.empty()) return StartUnlock::kCancelled;
    session.MasterPassword = std::move(opener);
    return StartUnlock::kOpened;
}

}  // namespace tf
