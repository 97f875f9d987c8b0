// The registry settings store: the keys, value names and types the earlier version of the
// program used, read back with the registry API itself. Whatever the test prefix held under
// those names is put back afterwards.
#include <gtest/gtest.h>

#include <vector>

#include "base/windows_api_win.h"
#include "vault/field_codec.h"
#include "vault/settings.h"
#include "vault/settings_store_win.h"
#include "vault/user_sealer_win.h"

namespace tf {
namespace {

struct SavedValue {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

// The values of a current-user key; nothing when the key is missing.
std::optional<std::vector<SavedValue>> SaveValues(const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    std::vector<SavedValue> values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, bytes = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
        SavedValue value{std::wstring(name, nameLength), type, std::vector<BYTE>(bytes)};
        RegQueryValueExW(key, value.name.c_str(), nullptr, nullptr, value.data.data(), &bytes);
        values.push_back(std::move(value));
    }
    RegCloseKey(key);
    return values;
}

// Puts a key back as SaveValues found it (the keys' own subkeys are not touched).
void RestoreValues(const wchar_t* path, const std::optional<std::vector<SavedValue>>& saved) {
    if (!saved) {
        RegDeleteKeyW(HKEY_CURRENT_USER, path);
        return;
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (auto current = SaveValues(path).value_or(std::vector<SavedValue>{}); const auto& value : current)
        RegDeleteValueW(key, value.name.c_str());
    for (const auto& value : *saved)
        RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
}

// A value exactly as stored: its type and its bytes as UTF-16.
struct Stored {
    LSTATUS status;
    DWORD type = 0;
    std::wstring data;  // with the terminating NUL, when it was stored
};

Stored Query(const wchar_t* path, const wchar_t* name) {
    HKEY key = nullptr;
    Stored stored;
    stored.status = RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key);
    if (stored.status != ERROR_SUCCESS) return stored;
    DWORD bytes = 0;
    stored.status = RegQueryValueExW(key, name, nullptr, &stored.type, nullptr, &bytes);
    if (stored.status == ERROR_SUCCESS) {
        stored.data.resize(bytes / sizeof(wchar_t));
        stored.status =
            RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(stored.data.data()), &bytes);
    }
    RegCloseKey(key);
    return stored;
}

// Spelled out here rather than taken from the adapter, so that a wrong key there fails.
constexpr wchar_t kUserInfo[] = L"Software\\VB and VBA Program Settings\\Tamborvin Form\\UserInfo";
constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings";
constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunName[] = L"Tamborvin Form";

std::wstring ThisProgram() {
    wchar_t path[4096] = {};
    GetModuleFileNameW(nullptr, path, 4096);
    return path;
}

class SettingsStoreRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY root = nullptr;
        rootExisted_ = RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsRoot, 0, KEY_READ, &root) == ERROR_SUCCESS;
        if (rootExisted_) RegCloseKey(root);
        userInfo_ = SaveValues(kUserInfo);
        run_ = SaveValues(kRun);
        // Start from no settings at all, so that saving must create the key.
        RegDeleteKeyW(HKEY_CURRENT_USER, kUserInfo);
        store_.DeleteRunValue();
    }
    void TearDown() override {
        RestoreValues(kUserInfo, userInfo_);
        RestoreValues(kRun, run_);
        if (!rootExisted_) RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot);
    }

    RegistrySettingsStore store_;
    std::optional<std::vector<SavedValue>> userInfo_, run_;
    bool rootExisted_ = false;
};

TEST_F(SettingsStoreRegistry, SavesUserInfoValuesAsText) {
    EXPECT_EQ(store_.GetSetting(kPasswordSetting), std::nullopt);
    EXPECT_EQ(GetLoginPassword(store_), "");
    EXPECT_EQ(GetRememberFlag(store_), 0);

    EXPECT_TRUE(SetLoginPassword(store_, "密码 Ab😀").Ok());
    EXPECT_TRUE(SetRememberFlag(store_, 1).Ok());
    const std::pair<const wchar_t*, std::string> expected[] = {
        {L"lgpd", EncodeField("密码 Ab😀")},
        {L"rmbp", "1"},
    };
    for (const auto& [name, text] : expected) {
        SCOPED_TRACE(Narrow(name));
        Stored stored = Query(kUserInfo, name);
        ASSERT_EQ(stored.status, ERROR_SUCCESS);
        EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(stored.data, Widen(text) + L'\0');
    }
    EXPECT_EQ(GetLoginPassword(store_), "密码 Ab😀");
    EXPECT_EQ(GetRememberFlag(store_), 1);

    // Text is exact through the wide API, whatever the machine's code page; empty stays present.
    store_.SaveSetting("rmbp", "中文");
    EXPECT_EQ(store_.GetSetting("rmbp"), "中文");
    SetLoginPassword(store_, "");
    EXPECT_EQ(store_.GetSetting(kPasswordSetting), "");
}

TEST_F(SettingsStoreRegistry, RunValueHoldsTheQuotedProgramPath) {
    EXPECT_EQ(store_.ProgramPath(), Narrow(ThisProgram()));
    EXPECT_EQ(IsRunOnStart(store_), 0);

    EXPECT_TRUE(SetRunOnStart(store_, 1).Ok());
    Stored stored = Query(kRun, kRunName);
    ASSERT_EQ(stored.status, ERROR_SUCCESS);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.data, L"\"" + ThisProgram() + L"\"" + L'\0');
    EXPECT_EQ(IsRunOnStart(store_), 1);

    EXPECT_TRUE(SetRunOnStart(store_, 0).Ok());
    EXPECT_EQ(Query(kRun, kRunName).status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(IsRunOnStart(store_), 0);
    EXPECT_TRUE(SetRunOnStart(store_, 0).Ok());  // nothing to delete, and that is what was asked
    EXPECT_EQ(store_.ReadRunValue(), std::nullopt);
}

// A write the registry refuses says so, with the error and its text, and leaves nothing behind.
// Under a volatile key no lasting key can be made, which is what saving needs.
TEST_F(SettingsStoreRegistry, ARefusedWriteReportsItsError) {
    constexpr wchar_t kProgramKey[] = L"Software\\VB and VBA Program Settings\\Tamborvin Form";
    RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kProgramKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);

    WriteStatus status = SetLoginPassword(store_, "new");
    EXPECT_FALSE(status.Ok());
    EXPECT_EQ(status.error, ERROR_CHILD_MUST_BE_VOLATILE);
    EXPECT_FALSE(status.description.empty());
    EXPECT_EQ(status.description.find_last_of("\r\n"), std::string::npos) << "the description keeps its line end";
    EXPECT_FALSE(SetRememberFlag(store_, 1).Ok());
    EXPECT_EQ(store_.GetSetting(kPasswordSetting), std::nullopt);
    EXPECT_EQ(Query(kUserInfo, L"lgpd").status, ERROR_FILE_NOT_FOUND);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKey);
}

TEST_F(SettingsStoreRegistry, ReadsValuesWrittenByOthers) {
    // A blank Run value (another tool's leftover) does not count; a non-text one reads as absent.
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRun, kRunName, REG_SZ, L"   ", 4 * sizeof(wchar_t)), ERROR_SUCCESS);
    EXPECT_EQ(store_.ReadRunValue(), "   ");
    EXPECT_EQ(IsRunOnStart(store_), 0);
    DWORD number = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUserInfo, L"rmbp", REG_DWORD, &number, sizeof number), ERROR_SUCCESS);
    EXPECT_EQ(store_.GetSetting("rmbp"), std::nullopt);
    // A text value stored without its terminating NUL reads the same.
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUserInfo, L"rmbp", REG_SZ, L"1", sizeof(wchar_t)), ERROR_SUCCESS);
    EXPECT_EQ(GetRememberFlag(store_), 1);
}

TEST(WindowsUserSealer, ItsSealOpensAndDoesNotShowThePassword) {
    WindowsUserSealer sealer;
    const std::string password = "p+w^d 中文";
    const std::optional<std::string> sealed = sealer.Seal(password);
    ASSERT_TRUE(sealed);
    EXPECT_EQ(sealed->find("p+w^d"), std::string::npos);
    EXPECT_EQ(sealer.Open(*sealed), password);
    EXPECT_EQ(sealer.Open(sealed->substr(0, sealed->size() / 2)), std::nullopt);
    EXPECT_EQ(sealer.Open(""), std::nullopt);
}

}  // namespace
}  // namespace tf
