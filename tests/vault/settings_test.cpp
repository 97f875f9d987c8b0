#include "vault/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "vault/field_codec.h"
#include "vault/vault_lock.h"

namespace tf {
namespace {

class FakeSettingsStore : public SettingsStore {
public:
    std::optional<std::string> GetSetting(const std::string& name) override {
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    WriteStatus SaveSetting(const std::string& name, const std::string& value) override {
        if (failing.count(name)) return Refused();
        values[name] = value;
        return {};
    }
    std::optional<std::string> ReadRunValue() override { return run; }
    WriteStatus WriteRunValue(const std::string& data) override {
        if (runFails) return Refused();
        run = data;
        return {};
    }
    WriteStatus DeleteRunValue() override {
        if (runFails) return Refused();
        run.reset();
        return {};
    }
    std::string ProgramPath() override { return path; }

    // What a refused write reports, as the registry would.
    static WriteStatus Refused() { return WriteStatus{5, "Access denied."}; }

    bool operator==(const FakeSettingsStore& other) const { return values == other.values && run == other.run; }

    std::map<std::string, std::string> values;
    std::optional<std::string> run;
    std::string path = "C:\\Program Files\\Tamborvin Form\\Tamborvin Form.exe";
    // Writes of these settings, and of the Run value, fail and change nothing.
    std::set<std::string> failing;
    bool runFails = false;
};

FakeSettingsStore StoreWithPassword(const std::string& password) {
    FakeSettingsStore store;
    SetLoginPassword(store, password);
    return store;
}

// Every box touched and filled, so that a refusal has something it must not apply.
ConfigForm EverythingTouched(const std::string& oldPassword, const std::string& newPassword,
                             const std::string& confirmPassword) {
    ConfigForm form;
    form.oldPassword = oldPassword;
    form.newPassword = newPassword;
    form.confirmPassword = confirmPassword;
    form.rememberChecked = form.runOnStartChecked = true;
    form.passwordTouched = form.runOnStartTouched = form.rememberTouched = true;
    return form;
}

TEST(Settings, FirstStartAcceptsOnlyTheEmptyPassword) {
    FakeSettingsStore store;
    Session session = LoadSession(store);
    EXPECT_EQ(session.MasterPassword, "");
    EXPECT_FALSE(session.RememberPassword);
    EXPECT_FALSE(session.LoginAccepted);
    EXPECT_TRUE(PasswordMatches("", session));
    for (const char* typed : {" ", "a", "\t", "0"}) {
        SCOPED_TRACE(typed);
        EXPECT_FALSE(PasswordMatches(typed, session));
    }
}

TEST(Settings, PromptComparesExactly) {
    FakeSettingsStore store = StoreWithPassword("Secret 1");
    Session session = LoadSession(store);
    EXPECT_TRUE(PasswordMatches("Secret 1", session));
    for (const char* typed : {"secret 1", "SECRET 1", " Secret 1", "Secret 1 ", "Secret1", "Secret", ""}) {
        SCOPED_TRACE(typed);
        EXPECT_FALSE(PasswordMatches(typed, session));
    }
    // An earlier prompt's OK does not let a prompt that closes without one pass.
    session.LoginAccepted = true;
    OpenLoginPrompt(session);
    EXPECT_FALSE(session.LoginAccepted);
}

// Only the prompt opened for this request may let it through: an OK of an earlier prompt does not.
// The export's gate asks whenever a master password is set, remembered or not.
TEST(Settings, TheGatePassesARememberedPasswordOrThisPromptsOk) {
    struct Case {
        bool exportGate, remembered, hasPassword, opens, accepts, passes;
        int prompts;
    };
    for (const Case& c : {
             Case{false, true, true, false, false, true, 0},
             Case{false, false, true, false, false, false, 1},
             Case{false, false, true, true, false, false, 1},
             Case{false, false, true, true, true, true, 1},
             Case{true, true, true, false, false, false, 1},
             Case{true, true, true, true, false, false, 1},
             Case{true, true, true, true, true, true, 1},
             Case{true, false, false, false, false, true, 0},
         }) {
        Session session;
        session.RememberPassword = c.remembered;
        if (c.hasPassword) session.MasterPassword = "secret";
        session.LoginAccepted = true;  // left from an earlier prompt
        int prompts = 0;
        const auto prompt = [&] {
            ++prompts;
            if (!c.opens) return false;
            OpenLoginPrompt(session);
            session.LoginAccepted = c.accepts;
            return true;
        };
        EXPECT_EQ(c.exportGate ? ExportGatePasses(session, prompt) : PasswordGatePasses(session, prompt), c.passes)
            << c.exportGate << c.remembered << c.hasPassword << c.opens << c.accepts;
        EXPECT_EQ(prompts, c.prompts);
    }
}

TEST(Settings, RememberFlagIsTheStoredValuesLeadingNumber) {
    const std::pair<std::optional<std::string>, int> cases[] = {
        {std::nullopt, 0}, {"1", 1},  {"0", 0},  {"", 0},    {" 1", 1}, {"-1", -1},
        {"+2", 2},         {"1x", 1}, {"x1", 0}, {"- 1", 0}, {"  ", 0}, {"12 3", 12},
    };
    for (const auto& [stored, flag] : cases) {
        SCOPED_TRACE(stored.value_or("(absent)"));
        FakeSettingsStore store;
        if (stored) store.values[kRememberSetting] = *stored;
        EXPECT_EQ(GetRememberFlag(store), flag);
        // The gate is passed without a prompt exactly when the flag is non-zero.
        EXPECT_EQ(LoadSession(store).RememberPassword, flag != 0);
        EXPECT_EQ(ConfigStartState(store).rememberChecked, flag != 0);
    }
    FakeSettingsStore store;
    store.values[kRememberSetting] = "99999999999999999999";
    EXPECT_NE(GetRememberFlag(store), 0);
    EXPECT_TRUE(SetRememberFlag(store, 1).Ok());
    EXPECT_EQ(store.values[kRememberSetting], "1");
    SetRememberFlag(store, 0);
    EXPECT_EQ(store.values[kRememberSetting], "0");
}

TEST(Settings, RunOnStartIsAPresentNonBlankValue) {
    const std::pair<std::optional<std::string>, int> cases[] = {
        {std::nullopt, 0}, {"", 0}, {"   ", 0}, {"x", 1}, {"  \"C:\\a b\\c.exe\" ", 1},
    };
    for (const auto& [run, expected] : cases) {
        SCOPED_TRACE(run.value_or("(absent)"));
        FakeSettingsStore store;
        store.run = run;
        EXPECT_EQ(IsRunOnStart(store), expected);
        EXPECT_EQ(ConfigStartState(store).runOnStartChecked, expected != 0);
    }
}

TEST(Settings, PasswordIsStoredEncodedAndComesBack) {
    for (const char* password : {"", "abc", "密码 Ab1", "p,\"w😀"}) {
        SCOPED_TRACE(password);
        FakeSettingsStore store = StoreWithPassword(password);
        EXPECT_EQ(store.values[kPasswordSetting], EncodeField(password));
        EXPECT_EQ(GetLoginPassword(store), password);
        EXPECT_EQ(LoadSession(store).MasterPassword, password);
    }
    FakeSettingsStore store;
    store.values[kPasswordSetting] = "not encoded";
    EXPECT_EQ(GetLoginPassword(store), "");
}

// Both refusals stop before anything is written, whatever else was touched.
TEST(Settings, RefusedPasswordChangeAppliesNothing) {
    struct Case {
        const char* name;
        ConfigForm form;
        std::string refusal;
        int focusBox;
    };
    const Case cases[] = {
        {"wrong old", EverythingTouched("PW", "new", "new"), kOldPasswordIncorrect, 0},
        {"old with a space", EverythingTouched("pw ", "new", "new"), kOldPasswordIncorrect, 0},
        {"empty old", EverythingTouched("", "", ""), kOldPasswordIncorrect, 0},
        {"new twice differs", EverythingTouched("pw", "new", "New"), kNewPasswordsDiffer, 1},
        {"confirm empty", EverythingTouched("pw", "new", ""), kNewPasswordsDiffer, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSettingsStore store = StoreWithPassword("pw");
        store.values[kRememberSetting] = "0";
        const FakeSettingsStore before = store;
        Session session = LoadSession(store);
        ConfigOutcome outcome = ApplyConfig(c.form, session, store);
        EXPECT_EQ(outcome.refusal, c.refusal);
        EXPECT_EQ(outcome.focusBox, c.focusBox);
        EXPECT_FALSE(outcome.passwordChanged);
        EXPECT_TRUE(store == before);
        EXPECT_EQ(session.MasterPassword, "pw");
        EXPECT_FALSE(session.RememberPassword);
    }
}

TEST(Settings, PasswordChangeThenStartUpThenRemember) {
    struct Case {
        const char* name;
        std::string master, oldPassword, newPassword;
    };
    const Case cases[] = {
        {"empty old while the master is empty", "", "", "first"},
        {"new and confirm both empty", "old", "old", ""},
        {"chinese", "旧", "旧", "新密码"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSettingsStore store = StoreWithPassword(c.master);
        Session session = LoadSession(store);
        ConfigOutcome outcome =
            ApplyConfig(EverythingTouched(c.oldPassword, c.newPassword, c.newPassword), session, store);
        EXPECT_FALSE(outcome.refusal);
        EXPECT_TRUE(outcome.passwordChanged);
        EXPECT_EQ(session.MasterPassword, c.newPassword);
        EXPECT_EQ(store.values[kPasswordSetting], EncodeField(c.newPassword));
        EXPECT_EQ(LoadSession(store).MasterPassword, c.newPassword);
        EXPECT_EQ(store.run, "\"" + store.path + "\"");
        EXPECT_EQ(store.values[kRememberSetting], "1");
        EXPECT_TRUE(session.RememberPassword);
    }
}

TEST(Settings, OnlyTouchedSettingsAreApplied) {
    FakeSettingsStore store = StoreWithPassword("pw");
    store.values[kRememberSetting] = "1";
    store.run = "\"C:\\Old\\Tamborvin Form.exe\"";
    const FakeSettingsStore before = store;
    Session session = LoadSession(store);

    // Untouched boxes keep the stored settings even when they read differently.
    ConfigForm form = EverythingTouched("wrong", "a", "b");
    form.rememberChecked = form.runOnStartChecked = false;
    form.passwordTouched = form.runOnStartTouched = form.rememberTouched = false;
    ConfigOutcome outcome = ApplyConfig(form, session, store);
    EXPECT_FALSE(outcome.refusal);
    EXPECT_FALSE(outcome.passwordChanged);
    EXPECT_TRUE(store == before);

    // Unticking deletes the Run value and forgets the password.
    form.runOnStartTouched = form.rememberTouched = true;
    outcome = ApplyConfig(form, session, store);
    EXPECT_FALSE(outcome.refusal);
    EXPECT_FALSE(store.run);
    EXPECT_EQ(store.values[kRememberSetting], "0");
    EXPECT_FALSE(session.RememberPassword);
    EXPECT_EQ(store.values[kPasswordSetting], before.values.at(kPasswordSetting));
}

// The window ticks the box from code as it opens, which counts as a click, so OK alone writes
// the Run value again, with the program's present (quoted) path.
TEST(Settings, OpeningWithAutoStartTickedRewritesTheRunValue) {
    FakeSettingsStore store;
    store.run = "C:\\Old place\\Tamborvin Form.exe";
    const ConfigForm form = ConfigOpeningForm(store);
    ASSERT_TRUE(form.runOnStartChecked);
    ASSERT_FALSE(form.rememberChecked || form.rememberTouched || form.passwordTouched);
    Session session = LoadSession(store);
    ConfigOutcome outcome = ApplyConfig(form, session, store);
    EXPECT_FALSE(outcome.refusal);
    EXPECT_EQ(store.run, "\"C:\\Program Files\\Tamborvin Form\\Tamborvin Form.exe\"");
    EXPECT_EQ(store.values.count(kRememberSetting), 0u);
    EXPECT_EQ(IsRunOnStart(store), 1);
}

// A new password the store refuses is not taken: the old one stays in force and OK stops with the
// failure instead of the success message, before the other settings.
TEST(Settings, AnUnsavedPasswordKeepsTheOldOne) {
    FakeSettingsStore store = StoreWithPassword("pw");
    store.failing.insert(kPasswordSetting);
    const FakeSettingsStore before = store;
    Session session = LoadSession(store);
    ConfigOutcome outcome = ApplyConfig(EverythingTouched("pw", "new", "new"), session, store);
    EXPECT_FALSE(outcome.passwordChanged);
    EXPECT_EQ(outcome.refusal,
              "Password change failed, the old password is still valid! Error code:5 Description:Access denied.");
    EXPECT_EQ(outcome.focusBox, 1);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(session.MasterPassword, "pw");
    EXPECT_FALSE(session.RememberPassword);
    EXPECT_TRUE(store == before);
    EXPECT_FALSE(SetLoginPassword(store, "new").Ok());

    // Once the store takes it, the same boxes go through.
    store.failing.clear();
    outcome = ApplyConfig(EverythingTouched("pw", "new", "new"), session, store);
    EXPECT_FALSE(outcome.refusal);
    EXPECT_TRUE(outcome.passwordChanged);
    EXPECT_EQ(session.MasterPassword, "new");
}

// A refused start-up or remember write is reported, one message each, and the session keeps the
// remember state the store still has; the other settings are applied all the same.
TEST(Settings, UnsavedStartUpAndRememberAreReported) {
    FakeSettingsStore store = StoreWithPassword("pw");
    store.runFails = true;
    store.failing.insert(kRememberSetting);
    Session session = LoadSession(store);
    ConfigOutcome outcome = ApplyConfig(EverythingTouched("pw", "new", "new"), session, store);
    EXPECT_FALSE(outcome.refusal);
    EXPECT_TRUE(outcome.passwordChanged);
    EXPECT_EQ(session.MasterPassword, "new");
    const std::vector<std::string> expected = {
        "Set start running software error code:5Description:Access denied.",
        "Save remember password setting error code:5 Description:Access denied.",
    };
    EXPECT_EQ(outcome.failures, expected);
    EXPECT_FALSE(store.run);
    EXPECT_EQ(store.values.count(kRememberSetting), 0u);
    EXPECT_FALSE(session.RememberPassword);

    // Unticking fails the same way: the Run value stays, the password stays remembered.
    store.run = "\"C:\\x.exe\"";
    store.failing.clear();
    store.values[kRememberSetting] = "1";
    session = LoadSession(store);
    store.failing.insert(kRememberSetting);
    ConfigForm form;
    form.runOnStartTouched = form.rememberTouched = true;
    outcome = ApplyConfig(form, session, store);
    EXPECT_EQ(outcome.failures.size(), 2u);
    EXPECT_EQ(store.run, "\"C:\\x.exe\"");
    EXPECT_EQ(store.values[kRememberSetting], "1");
    EXPECT_TRUE(session.RememberPassword);

    // Only the one that failed is reported.
    store.runFails = false;
    outcome = ApplyConfig(form, session, store);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0], "Save remember password setting error code:5 Description:Access denied.");
    EXPECT_FALSE(store.run);
    EXPECT_TRUE(session.RememberPassword);
}

// The vault file's protection as the settings and the start see it: a password that opens it.
class FakeLock : public VaultLock {
public:
    bool Protected() override { return !password.empty(); }
    Unlocked Unlock(const std::string& typed, std::string& failure) override {
        if (damaged) {
            failure = "damaged";
            return Unlocked::kFailed;
        }
        return typed == password ? Unlocked::kOpened : Unlocked::kWrongPassword;
    }
    std::string Protect(const std::string& with) override { return Change(with); }
    std::string Unprotect() override { return Change(""); }
    std::string ChangePassword(const std::string& old, const std::string& with) override {
        return old == password ? Change(with) : "not the old password";
    }
    std::string Change(const std::string& with) {
        if (diskFull) return "The disk is full.";
        password = with;
        return {};
    }
    std::string password;  // empty: a plain vault
    bool damaged = false, diskFull = false;
};

class FakeSealer : public SecretSealer {
public:
    std::optional<std::string> Seal(const std::string& secret) override { return "sealed:" + secret; }
    std::optional<std::string> Open(const std::string& sealed) override {
        if (!sealed.starts_with("sealed:")) return std::nullopt;
        return sealed.substr(7);
    }
};

std::string Sealed(const std::string& password) { return SealedToText("sealed:" + password); }

TEST(VaultProtection, TheSettingsProtectChangeAndUnprotectAndTheRegistryNeverHoldsThePassword) {
    FakeSettingsStore store;
    FakeLock lock;
    FakeSealer sealer;
    VaultProtection protection{lock, sealer};
    Session session = LoadSession(store);

    // A first password: the box is ticked by default and protects with it.
    ConfigForm form = ConfigOpeningForm(store, &protection);
    EXPECT_TRUE(form.protectChecked);
    form.newPassword = form.confirmPassword = "pw";
    form.passwordTouched = true;
    ConfigOutcome outcome = ApplyConfig(form, session, store, &protection);
    EXPECT_TRUE(outcome.passwordChanged && outcome.failures.empty());
    EXPECT_EQ(lock.password, "pw");
    EXPECT_EQ(GetLoginPassword(store), "");

    // Remembered: sealed for this user. A new password encrypts the vault again and is sealed.
    form = ConfigOpeningForm(store, &protection);
    form.rememberChecked = form.rememberTouched = true;
    ApplyConfig(form, session, store, &protection);
    EXPECT_EQ(store.values[kSealedPasswordSetting], Sealed("pw"));
    form = EverythingTouched("pw", "new", "new");
    form.protectChecked = true;
    outcome = ApplyConfig(form, session, store, &protection);
    EXPECT_TRUE(outcome.passwordChanged);
    EXPECT_EQ(lock.password, "new");
    EXPECT_EQ(store.values[kSealedPasswordSetting], Sealed("new"));
    EXPECT_EQ(GetLoginPassword(store), "");

    // The disk full during the new encryption: the old password stays valid everywhere.
    lock.diskFull = true;
    outcome = ApplyConfig(EverythingTouched("new", "newer", "newer"), session, store, &protection);
    EXPECT_EQ(outcome.refusal, std::string(kPasswordNotChanged) + "\nThe disk is full.");
    EXPECT_EQ(session.MasterPassword, "new");
    EXPECT_EQ(lock.password, "new");
    EXPECT_EQ(store.values[kSealedPasswordSetting], Sealed("new"));
    lock.diskFull = false;

    // Unticked: a plain vault, its password back in "lgpd", nothing sealed.
    form = ConfigOpeningForm(store, &protection);
    form.protectChecked = false;
    form.protectTouched = true;
    outcome = ApplyConfig(form, session, store, &protection);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_FALSE(lock.Protected());
    EXPECT_EQ(GetLoginPassword(store), "new");
    EXPECT_EQ(store.values[kSealedPasswordSetting], "");

    // Ticked by the user with no password to protect with: refused, nothing applied.
    FakeSettingsStore empty;
    Session none = LoadSession(empty);
    form = ConfigOpeningForm(empty, &protection);
    form.protectTouched = form.rememberTouched = form.rememberChecked = true;
    outcome = ApplyConfig(form, none, empty, &protection);
    EXPECT_EQ(outcome.refusal, kProtectNeedsPassword);
    EXPECT_FALSE(lock.Protected());
    EXPECT_TRUE(empty.values.empty());
}

TEST(VaultProtection, AtStartTheRememberedPasswordOpensTheVaultOrThePromptAsksUntilItDoes) {
    struct Case {
        const char* name;
        bool remember, damaged;
        std::optional<std::string> sealedText;
        std::vector<std::string> typed;  // the prompt's OKs, then Cancel
        StartUnlock result;
        int prompts;
        std::string notice;
    };
    const Case cases[] = {
        {"remembered", true, false, Sealed("pw"), {}, StartUnlock::kOpened, 0, ""},
        {"wrong, then right", false, false, std::nullopt, {"x", "pw"}, StartUnlock::kOpened, 1, ""},
        {"cancelled", false, false, std::nullopt, {"x"}, StartUnlock::kCancelled, 1, ""},
        {"another user's seal",
         true,
         false,
         SealedToText("other"),
         {"pw"},
         StartUnlock::kOpened,
         1,
         kRememberedUnreadable},
        {"not a seal at all", true, false, "zz", {}, StartUnlock::kCancelled, 1, kRememberedUnreadable},
        {"damaged file", false, true, std::nullopt, {"pw"}, StartUnlock::kFailed, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSettingsStore store;
        if (c.remember) store.values[kRememberSetting] = "1";
        if (c.sealedText) store.values[kSealedPasswordSetting] = *c.sealedText;
        FakeLock lock;
        lock.password = "pw";
        lock.damaged = c.damaged;
        FakeSealer sealer;
        Session session = LoadSession(store);
        int prompts = 0;
        std::string notice, failure;
        auto prompt = [&](const std::string& told, const auto& tryPassword) {
            ++prompts;
            notice = told;
            for (const std::string& typed : c.typed) {
                std::string why;
                if (tryPassword(typed, why) != VaultLock::Unlocked::kWrongPassword) return why.empty();
            }
            return false;
        };
        EXPECT_EQ(OpenVaultAtStart(session, store, {lock, sealer}, prompt, failure), c.result);
        EXPECT_EQ(prompts, c.prompts);
        EXPECT_EQ(notice, c.notice);
        EXPECT_EQ(session.MasterPassword, c.result == StartUnlock::kOpened ? "pw" : "");
        EXPECT_EQ(failure, c.damaged ? "damaged" : "");
    }
}

}  // namespace
}  // namespace tf
