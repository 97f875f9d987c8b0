// The master password and the per-user settings: where they are kept, the prompt's comparison and
// the settings window's OK step. The registry is the platform's (SettingsStore); the rules are here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tf {

struct VaultProtection;

// Values of the per-user section "UserInfo" of the program's settings.
inline constexpr char kPasswordSetting[] = "lgpd";  // the master password, field-encoded
inline constexpr char kRememberSetting[] = "rmbp";  // "1" remembered, "0" not

inline constexpr char kLoginCaption[] = "Please enter the Tamborvin Form password";
inline constexpr char kPasswordIncorrect[] = "Password is incorrect, please re-enter";
inline constexpr char kConfigCaption[] = "Setting";
inline constexpr char kOldPasswordIncorrect[] = "Old password is incorrect!";
inline constexpr char kNewPasswordsDiffer[] = "Enter the new password twice is not the same";
inline constexpr char kPasswordChanged[] = "Password changed successfully, remember!";
// Failed writes: each text is followed by the error number, then " Description:" and the
// platform's description (the Run value's text, as the earlier version had it, without the space).
inline constexpr char kPasswordNotSaved[] = "Password change failed, the old password is still valid! Error code:";
inline constexpr char kRememberNotSaved[] = "Save remember password setting error code:";
inline constexpr char kRunOnStartNotSet[] = "Set start running software error code:";

// What a write to the store came to: error 0 when it was done, else the platform's error number
// and its description.
struct WriteStatus {
    long error = 0;
    std::string description;
    bool Ok() const { return error == 0; }
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // A value of the section "UserInfo"; empty when absent.
    virtual std::optional<std::string> GetSetting(const std::string& name) = 0;
    // The writes say whether they were done; a value that is already absent counts as deleted.
    virtual WriteStatus SaveSetting(const std::string& name, const std::string& value) = 0;
    // The Run value named after the program, which starts it with Windows.
    virtual std::optional<std::string> ReadRunValue() = 0;
    virtual WriteStatus WriteRunValue(const std::string& data) = 0;
    virtual WriteStatus DeleteRunValue() = 0;
    // The full path of the running program.
    virtual std::string ProgramPath() = 0;
};

std::string GetLoginPassword(SettingsStore& store);
WriteStatus SetLoginPassword(SettingsStore& store, const std::string& password);
int GetRememberFlag(SettingsStore& store);
WriteStatus SetRememberFlag(SettingsStore& store, int flag);
// 1 when the Run value exists and is not blank, else 0.
int IsRunOnStart(SettingsStore& store);
// 0 deletes the Run value; 1 writes the program's full path, quoted.
WriteStatus SetRunOnStart(SettingsStore& store, int mode);

// What the main window, the prompt, the settings window and the tray menu share.
struct Session {
    std::string MasterPassword;
    bool RememberPassword = false;
    bool LoginAccepted = false;
};
// Read at start: the master password and the remember flag.
Session LoadSession(SettingsStore& store);

// The prompt's OK: the typed text equals the master password exactly (case-sensitive, untrimmed).
bool PasswordMatches(const std::string& typed, const Session& session);
// Each time the prompt opens: only this prompt's OK may let the caller pass, not an earlier one
// (the prompt can close without either button, when the program ends or it is closed from outside).
void OpenLoginPrompt(Session& session);
// The master-password gate in front of the main window and the settings: a remembered password
// passes at once; otherwise `prompt` runs the prompt (false when it did not open, as when one is
// open already) and only that prompt's OK lets the caller pass.
bool PasswordGatePasses(Session& session, const std::function<bool()>& prompt);
// The gate in front of an export, which writes every password to a plain file: when a master
// password is set it is asked for, remembered or not.
bool ExportGatePasses(Session& session, const std::function<bool()>& prompt);

// The settings window as OK finds it.
struct ConfigForm {
    std::string oldPassword, newPassword, confirmPassword;
    bool rememberChecked = false;
    bool runOnStartChecked = false;
    // Protect the vault with the master password. Ticked without a click (as the window opens
    // for a first password), it applies only when a new password is set.
    bool protectChecked = false;
    bool protectTouched = false;
    // Set by any change of a password box, and by a click on each check box (also one made by
    // code when the window opens with the box ticked).
    bool passwordTouched = false;
    bool runOnStartTouched = false;
    bool rememberTouched = false;
};

struct ConfigOutcome {
    // Set when OK stops: the message (exclamation icon) and the password box to focus (0 old,
    // 1 new); nothing has been applied and the window stays open. A new password the store could
    // not save stops OK the same way, the old one still in force.
    std::optional<std::string> refusal;
    int focusBox = -1;
    // The password was changed: show kPasswordChanged (information icon).
    bool passwordChanged = false;
    // The start-up or remember setting the store could not write, one message each (OK only,
    // after the password's); the session keeps what it had for them.
    std::vector<std::string> failures;
};

// The message for a failed write: the text, the error number, the label and the description.
std::string WriteFailureText(const std::string& text, const WriteStatus& status,
                             const std::string& descriptionLabel = " Description:");

// The settings window's OK: password first (old must match, new twice the same, and saved: with a
// protected vault, the vault encrypted again with it), then the vault's protection, start-up and
// remember, each only when touched; the window closes unless refused. Without `protection` the
// vault is plain and the protection box is not there.
ConfigOutcome ApplyConfig(const ConfigForm& form, Session& session, SettingsStore& store,
                          VaultProtection* protection = nullptr);

// The check boxes as the settings window opens.
struct ConfigStart {
    bool runOnStartChecked;
    bool rememberChecked;
};
ConfigStart ConfigStartState(SettingsStore& store);
// The form as the window opens: a box ticked here counts as clicked, so OK writes its setting again
// (the Run value then gets the program's present path).
// The protection box is ticked for a protected vault, and for a first master password.
ConfigForm ConfigOpeningForm(SettingsStore& store, VaultProtection* protection = nullptr);

}  // namespace tf
