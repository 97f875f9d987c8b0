#include "hotkeys/ini_settings.h"

#include "base/file_system.h"

namespace tf {

std::string ReadIni(IniFile& ini, const std::string& section, const std::string& key, const std::string& fallback) {
    std::string value = ini.Get(section, key);
    // The file's value ends at its first NUL, as a C buffer would read it.
    value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));
    if (!value.empty()) return value;
    ini.Set(section, key, fallback);
    return fallback;
}

void WriteIni(IniFile& ini, const std::string& section, const std::string& key, const std::string& value) {
    ini.Set(section, key, value);
}

std::string IniPath(std::string_view programFolder) { return JoinPath(programFolder, kIniFileName); }

HotkeyBoxes LoadHotKeys(IniFile& ini) {
    HotkeyBoxes boxes;
    for (int i = 0; i < kHotkeyBoxCount; ++i) {
        const HotkeyValue v = ParseHotkeyValue(ReadIni(ini, kHotkeySection, std::to_string(i), kNoHotkeyValue));
        boxes[i] = SetHotKeyBox(v.key, v.ctrl, v.alt, v.shift);
    }
    return boxes;
}

void SaveHotKeys(IniFile& ini, const HotkeyBoxes& boxes) {
    for (int i = 0; i < kHotkeyBoxCount; ++i) WriteIni(ini, kHotkeySection, std::to_string(i), boxes[i].value);
}

std::string ReadUrlSetting(IniFile& ini) { return ReadIni(ini, kUrlSection, kUrlKey, ""); }

}  // namespace tf
