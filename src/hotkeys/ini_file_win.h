// The settings file through the system's private-profile API, as the earlier version of the
// program read and wrote it.
#pragma once

#include <string>

#include "hotkeys/ini_settings.h"

namespace tf {

// Values are read through a buffer of this many characters, NUL included, so a longer value
// comes back cut to 143 characters, as it always did.
inline constexpr int kIniValueBuffer = 144;

class PrivateProfileIniFile : public IniFile {
public:
    // `path` is UTF-8; the file need not exist yet.
    explicit PrivateProfileIniFile(std::string path);
    std::string Get(const std::string& section, const std::string& key) override;
    void Set(const std::string& section, const std::string& key, const std::string& value) override;

private:
    std::wstring path_;
};

}  // namespace tf
