#include "hotkeys/ini_file_win.h"

#include "base/windows_api_win.h"

namespace tf {

PrivateProfileIniFile::PrivateProfileIniFile(std::string path) : path_(Widen(path)) {}

std::string PrivateProfileIniFile::Get(const std::string& section, const std::string& key) {
    wchar_t buffer[kIniValueBuffer] = {};
    const DWORD length = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), L"", buffer,
                                                  kIniValueBuffer, path_.c_str());
    return Narrow(std::wstring_view(buffer, length));
}

void PrivateProfileIniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
    WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(), path_.c_str());
}

}  // namespace tf
