#include "vault/settings.h"

#include <climits>

#include "vault/field_codec.h"
#include "vault/vault_lock.h"

namespace tf {

namespace {

// The number a stored value starts with, read the lenient way the earlier version of the program
// read it: leading spaces, an optional sign, then digits up to the first other character.
int LeadingInteger(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;  // huge still counts as non-zero
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace

std::string GetLoginPassword(SettingsStore& store) {
    auto stored = store.GetSetting(kPasswordSetting);
    return stored ? DecodeField(*stored) : std::string();
}

WriteStatus SetLoginPassword(SettingsStore& store, const std::string& password) {
    return store.SaveSetting(kPasswordSetting, EncodeField(password));
}

int GetRememberFlag(SettingsStore& store) {
    auto stored = store.GetSetting(kRememberSetting);
    return stored ? LeadingInteger(*stored) : 0;
}

WriteStatus SetRememberFlag(SettingsStore& store, int flag) {
    return store.SaveSetting(kRememberSetting, std::to_string(flag));
}

int IsRunOnStart(SettingsStore& store) {
    auto data = store.ReadRunValue();
    return data && data->find_first_not_of(' ') != std::string::npos ? 1 : 0;
}

WriteStatus SetRunOnStart(SettingsStore& store, int mode) {
    if (mode == 0) return store.DeleteRunValue();
    // Quoted: the path holds spaces ("Tamborvin Form.exe"), and an unquoted one would let
    // Windows start a program named after its first word.
    return store.WriteRunValue("\"" + store.ProgramPath() + "\"");
}

std::string WriteFailureText(const std::string& text, const WriteStatus& status, const std::string& descriptionLabel) {
    return text + std::to_string(status.error) + descriptionLabel + status.description;
}

Session LoadSession(SettingsStore& store) {
    Session session;
    session.MasterPassword = GetLoginPassword(store);
    session.RememberPassword = GetRememberFlag(store) != 0;
    return session;
}

bool PasswordMatches(const std::string& typed, const Session& session) { return typed == session.MasterPassword; }

void OpenLoginPrompt(Session& session) { session.LoginAccepted = false; }

bool PasswordGatePasses(Session& session, const std::function<bool()>& prompt) {
    if (session.RememberPassword) return true;
    return prompt() && session.LoginAccepted;
}

bool ExportGatePasses(Session& session, const std::function<bool()>& prompt) {
    if (session.MasterPassword.empty()) return true;
    return prompt() && session.LoginAccepted;
}

ConfigStart ConfigStartState(SettingsStore& store) {
    return ConfigStart{IsRunOnStart(store) != 0, GetRememberFlag(store) != 0};
}

ConfigForm ConfigOpeningForm(SettingsStore& store, VaultProtection* protection) {
    const ConfigStart start = ConfigStartState(store);
    ConfigForm form;
    form.runOnStartChecked = form.runOnStartTouched = start.runOnStartChecked;
    form.rememberChecked = form.rememberTouched = start.rememberChecked;
    if (protection) form.protectChecked = protection->lock.Protected() || GetLoginPassword(store).empty();
    return form;
}

namespace {

// What the protection box asks for: nothing, protect, or unprotect.
enum class ProtectionChange { kNone, kProtect, kUnprotect };

ProtectionChange WantedProtection(const ConfigForm& form, VaultProtection* protection) {
    if (!protection) return ProtectionChange::kNone;
    const bool settingPassword = form.passwordTouched && !form.newPassword.empty();
    if (!form.protectTouched && !(form.protectChecked && settingPassword)) return ProtectionChange::kNone;
    const bool isProtected = protection->lock.Protected();
    if (form.protectChecked == isProtected) return ProtectionChange::kNone;
    return form.protectChecked ? ProtectionChange::kProtect : ProtectionChange::kUnprotect;
}

// The remembered password of a protected vault is kept sealed for this user, never in "lgpd".
WriteStatus KeepSealedPassword(const Session& session, SettingsStore& store, VaultProtection& protection) {
    if (!protection.lock.Protected() || !session.RememberPassword)
        return store.SaveSetting(kSealedPasswordSetting, std::string());
    const std::optional<std::string> sealed = protection.sealer.Seal(session.MasterPassword);
    if (!sealed) return WriteStatus{-1, "Windows could not protect the password for this user."};
    return store.SaveSetting(kSealedPasswordSetting, SealedToText(*sealed));
}

}  // namespace

ConfigOutcome ApplyConfig(const ConfigForm& form, Session& session, SettingsStore& store, VaultProtection* protection) {
    ConfigOutcome outcome;
    const ProtectionChange change = WantedProtection(form, protection);
    // A protection ticked by the user needs a password to protect with: refused before anything
    // is applied.
    const std::string& futurePassword = form.passwordTouched ? form.newPassword : session.MasterPassword;
    if (change == ProtectionChange::kProtect && futurePassword.empty()) {
        outcome.refusal = kProtectNeedsPassword;
        outcome.focusBox = 1;
        return outcome;
    }
    const bool wasProtected = protection && protection->lock.Protected();
    if (form.passwordTouched) {
        if (form.oldPassword != session.MasterPassword) {
            outcome.refusal = kOldPasswordIncorrect;
            outcome.focusBox = 0;
            return outcome;
        }
        if (form.newPassword != form.confirmPassword) {
            outcome.refusal = kNewPasswordsDiffer;
            outcome.focusBox = 1;
            return outcome;
        }
        // Not saved: the old password stays in force, here and in the store, and OK stops as it
        // does for a refusal, so that pressing it again retries with the same boxes. A protected
        // vault is encrypted again with the new one instead ("lgpd" holds none).
        if (wasProtected) {
            if (std::string failed = protection->lock.ChangePassword(session.MasterPassword, form.newPassword);
                !failed.empty()) {
                outcome.refusal = std::string(kPasswordNotChanged) + "\n" + failed;
                outcome.focusBox = 1;
                return outcome;
            }
        } else if (WriteStatus saved = SetLoginPassword(store, form.newPassword); !saved.Ok()) {
            outcome.refusal = WriteFailureText(kPasswordNotSaved, saved);
            outcome.focusBox = 1;
            return outcome;
        }
        session.MasterPassword = form.newPassword;
        outcome.passwordChanged = true;
    }
    if (change == ProtectionChange::kProtect) {
        if (std::string failed = protection->lock.Protect(session.MasterPassword); !failed.empty()) {
            outcome.failures.push_back(std::string(kProtectFailed) + "\n" + failed);
        } else if (WriteStatus cleared = SetLoginPassword(store, std::string()); !cleared.Ok()) {
            outcome.failures.push_back(WriteFailureText(kPasswordNotSaved, cleared));
        }
    } else if (change == ProtectionChange::kUnprotect) {
        // The plain vault's password goes back where the earlier versions look for it.
        if (std::string failed = protection->lock.Unprotect(); !failed.empty()) {
            outcome.failures.push_back(std::string(kUnprotectFailed) + "\n" + failed);
        } else if (WriteStatus saved = SetLoginPassword(store, session.MasterPassword); !saved.Ok()) {
            outcome.failures.push_back(WriteFailureText(kPasswordNotSaved, saved));
        }
    }
    if (form.runOnStartTouched) {
        if (WriteStatus set = SetRunOnStart(store, form.runOnStartChecked ? 1 : 0); !set.Ok())
            outcome.failures.push_back(WriteFailureText(kRunOnStartNotSet, set, "Description:"));
    }
    if (form.rememberTouched) {
        if (WriteStatus saved = SetRememberFlag(store, form.rememberChecked ? 1 : 0); saved.Ok()) {
            session.RememberPassword = form.rememberChecked;
        } else {
            outcome.failures.push_back(WriteFailureText(kRememberNotSaved, saved));
        }
    }
    if (protection && (outcome.passwordChanged || change != ProtectionChange::kNone || form.rememberTouched)) {
        if (WriteStatus kept = KeepSealedPassword(session, store, *protection); !kept.Ok())
            outcome.failures.push_back(WriteFailureText(kRememberNotSaved, kept));
    }
    return outcome;
}

}  // namespace tf
