#include "vault/settings.h"

#include <climits>

#include "vault/field_codec.h"

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

ConfigStart ConfigStartState(SettingsStore& store) {
    return ConfigStart{IsRunOnStart(store) != 0, GetRememberFlag(store) != 0};
}

ConfigForm ConfigOpeningForm(SettingsStore& store) {
    const ConfigStart start = ConfigStartState(store);
    ConfigForm form;
    form.runOnStartChecked = form.runOnStartTouched = start.runOnStartChecked;
    form.rememberChecked = form.rememberTouched = start.rememberChecked;
    return form;
}

ConfigOutcome ApplyConfig(const ConfigForm& form, Session& session, SettingsStore& store) {
    ConfigOutcome outcome;
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
        // does for a refusal, so that pressing it again retries with the same boxes.
        if (WriteStatus saved = SetLoginPassword(store, form.newPassword); !saved.Ok()) {
            outcome.refusal = WriteFailureText(kPasswordNotSaved, saved);
            outcome.focusBox = 1;
            return outcome;
        }
        session.MasterPassword = form.newPassword;
        outcome.passwordChanged = true;
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
    return outcome;
}

}  // namespace tf
