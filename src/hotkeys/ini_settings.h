// The settings file "a.ini" beside the program: the hotkey boxes' values and the "url" key.
#pragma once

#include <string>
#include <string_view>

#include "hotkeys/hotkey_panel.h"

namespace tf {

// An INI file. Get returns the value as the file holds it (the Win32 adapter reads it through a
// 144-character buffer, so longer values come back cut), "" when the key is missing.
class IniFile {
public:
    virtual ~IniFile() = default;
    virtual std::string Get(const std::string& section, const std::string& key) = 0;
    virtual void Set(const std::string& section, const std::string& key, const std::string& value) = 0;
};

inline constexpr char kIniFileName[] = "a.ini";
inline constexpr char kHotkeySection[] = "HotKey";
inline constexpr char kUrlSection[] = "url";
inline constexpr char kUrlKey[] = "url";

// A missing or empty value is written back with the default, so a first start fills the file.
std::string ReadIni(IniFile& ini, const std::string& section, const std::string& key, const std::string& fallback);
void WriteIni(IniFile& ini, const std::string& section, const std::string& key, const std::string& value);

std::string IniPath(std::string_view programFolder);

// Each box from key "0".."5" of section "HotKey"; a value that is not four whole numbers reads as
// no hotkey.
HotkeyBoxes LoadHotKeys(IniFile& ini);
void SaveHotKeys(IniFile& ini, const HotkeyBoxes& boxes);

std::string ReadUrlSetting(IniFile& ini);

}  // namespace tf
