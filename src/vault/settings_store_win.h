// The settings store in the current user's registry, where the earlier version of the program
// kept it, so that an existing user keeps the master password.
#pragma once

#include "vault/settings.h"

namespace tf {

// Names stored in the registry: they stay as they are whatever the program's title becomes.
inline constexpr wchar_t kUserInfoKey[] = L"Software\\VB and VBA Program Settings\\Tamborvin Form\\UserInfo";
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Tamborvin Form";

class RegistrySettingsStore : public SettingsStore {
public:
    std::optional<std::string> GetSetting(const std::string& name) override;
    // Creates the key when it is missing. Failures carry the registry's error and its text.
    WriteStatus SaveSetting(const std::string& name, const std::string& value) override;
    std::optional<std::string> ReadRunValue() override;
    WriteStatus WriteRunValue(const std::string& data) override;
    WriteStatus DeleteRunValue() override;
    std::string ProgramPath() override;
};

}  // namespace tf
