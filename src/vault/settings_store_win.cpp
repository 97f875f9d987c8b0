#include "vault/settings_store_win.h"

#include "base/windows_api_win.h"

namespace tf {

namespace {

// A REG_SZ value of a current-user key as UTF-8; nothing when the key or value is missing or
// holds another type.
std::optional<std::string> ReadString(const wchar_t* key, const std::wstring& name) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    // The value may change between the two calls; try again while it grows.
    for (;;) {
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key, name.c_str(), RRF_RT_REG_SZ, nullptr, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            bytes = size;
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        data.resize(size / sizeof(wchar_t));
        while (!data.empty() && data.back() == L'\0') data.pop_back();
        return Narrow(data);
    }
}

// The outcome of a registry call: done, or its error number with the system's text for it.
WriteStatus StatusOf(LSTATUS status) {
    if (status == ERROR_SUCCESS) return WriteStatus{};
    WriteStatus failed{static_cast<long>(status), std::string()};
    wchar_t* text = nullptr;
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (text) {
        std::wstring description(text, length);
        LocalFree(text);
        while (!description.empty() &&
               (description.back() == L'\n' || description.back() == L'\r' || description.back() == L' '))
            description.pop_back();
        failed.description = Narrow(description);
    }
    return failed;
}

// Writes a REG_SZ value, creating the key; the byte count includes the terminating NUL.
WriteStatus WriteString(const wchar_t* key, const std::wstring& name, const std::string& value) {
    HKEY opened = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return StatusOf(status);
    std::wstring data = Widen(value);
    status = RegSetValueExW(opened, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    return StatusOf(status);
}

}  // namespace

std::optional<std::string> RegistrySettingsStore::GetSetting(const std::string& name) {
    return ReadString(kUserInfoKey, Widen(name));
}

WriteStatus RegistrySettingsStore::SaveSetting(const std::string& name, const std::string& value) {
    return WriteString(kUserInfoKey, Widen(name), value);
}

std::optional<std::string> RegistrySettingsStore::ReadRunValue() { return ReadString(kRunKey, kRunValueName); }

WriteStatus RegistrySettingsStore::WriteRunValue(const std::string& data) {
    return WriteString(kRunKey, kRunValueName, data);
}

WriteStatus RegistrySettingsStore::DeleteRunValue() {
    HKEY opened = nullptr;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &opened);
    // No key, or no value in it: nothing starts the program with Windows, as asked.
    if (status == ERROR_FILE_NOT_FOUND) return WriteStatus{};
    if (status != ERROR_SUCCESS) return StatusOf(status);
    status = RegDeleteValueW(opened, kRunValueName);
    RegCloseKey(opened);
    return StatusOf(status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status);
}

std::string RegistrySettingsStore::ProgramPath() {
    // Paths may be longer than MAX_PATH; grow until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            return Narrow(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace tf
