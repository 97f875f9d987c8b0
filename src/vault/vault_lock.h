// A vault protected with the master password: how the program opens it at start, and what the
// settings window's OK does to the protection, the password and the remembered password. The
// vault file's encryption is the VaultLock's; the system's per-user sealing is the SecretSealer's.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "vault/settings.h"

namespace tf {

// The remembered password of a protected vault, sealed by the system for this user ("lgpd" then
// holds no password).
inline constexpr char kSealedPasswordSetting[] = "lgpk";

inline constexpr char kProtectCheckText[] = "Protect the vault with the master password";
inline constexpr char kProtectNeedsPassword[] =
    "Set a master password first: the vault is protected with it. Enter it as the new password.";
inline constexpr char kUnprotectQuestion[] =
    "Without protection, the vault file will be readable by anyone who can read your files. Remove the "
    "protection?";
// Followed by the reason, on a line of its own.
inline constexpr char kPasswordNotChanged[] = "Password change failed, the old password is still valid!";
inline constexpr char kProtectFailed[] = "The vault could not be protected; it stays as it was.";
inline constexpr char kUnprotectFailed[] = "The protection could not be removed; the vault stays protected.";
inline constexpr char kRememberedUnreadable[] =
    "The remembered password could not be read (it was saved by another Windows user or is damaged). Please "
    "enter the password.";

// The vault file's protection. Each change rewrites the file in one step and gives an empty text;
// on a failure the message to show, and the file and the password that opens it stay as they were.
class VaultLock {
public:
    enum class Unlocked { kOpened, kWrongPassword, kFailed };
    virtual ~VaultLock() = default;
    virtual bool Protected() = 0;
    // A protected vault opened with the password, its key then kept for the saves. kFailed: the
    // file could not be opened at all (damaged, of an unknown kind); the message says so.
    virtual Unlocked Unlock(const std::string& password, std::string& failure) = 0;
    virtual std::string Protect(const std::string& password) = 0;
    virtual std::string Unprotect() = 0;
    virtual std::string ChangePassword(const std::string& oldPassword, const std::string& newPassword) = 0;
};

// Sealing for the current user alone, with no question to the user; nothing when it failed.
class SecretSealer {
public:
    virtual ~SecretSealer() = default;
    virtual std::optional<std::string> Seal(const std::string& secret) = 0;
    virtual std::optional<std::string> Open(const std::string& sealed) = 0;
};

struct VaultProtection {
    VaultLock& lock;
    SecretSealer& sealer;
};

enum class StartUnlock { kPlain, kOpened, kCancelled, kFailed };

// At start, before anything is loaded. A plain vault: nothing to do. A protected one opens with
// the remembered password without a question; otherwise `prompt` asks (the login prompt, told
// the reason first when `notice` is not empty) and calls `tryPassword` at each OK until one opens
// the vault; it returns false for Cancel. The master password of the session is the one that
// opened it.
StartUnlock OpenVaultAtStart(
    Session& session, SettingsStore& store, VaultProtection protection,
    const std::function<bool(
        const std::string& notice,
        const std::function<VaultLock::Unlocked(const std::string& typed, std::string& failure)>& tryPassword)>& prompt,
    std::string& failure);

// The sealed password as a registry text, and back (nothing when the text is not one).
std::string SealedToText(const std::string& sealed);
std::optional<std::string> SealedFromText(const std::string& text);

}  // namespace tf
