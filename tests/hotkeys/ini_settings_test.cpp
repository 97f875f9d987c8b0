#include "hotkeys/ini_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <utility>

#include "base/file_system.h"

namespace tf {
namespace {

class FakeIniFile : public IniFile {
public:
    std::string Get(const std::string& section, const std::string& key) override {
        auto it = values.find({section, key});
        return it == values.end() ? std::string() : it->second;
    }
    void Set(const std::string& section, const std::string& key, const std::string& value) override {
        values[{section, key}] = value;
    }
    std::map<std::pair<std::string, std::string>, std::string> values;
};

TEST(IniSettings, ReadIniWritesBackTheDefaultForMissingOrEmptyValues) {
    struct Case {
        const char* what;
        std::optional<std::string> stored;
        std::string read, after;
    };
    const Case cases[] = {
        {"missing", std::nullopt, "dflt", "dflt"},
        {"empty", "", "dflt", "dflt"},
        {"present", "kept", "kept", "kept"},
        {"cut at a NUL", std::string("ab\0cd", 5), "ab", std::string("ab\0cd", 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeIniFile ini;
        if (c.stored) ini.values[{"S", "k"}] = *c.stored;
        EXPECT_EQ(ReadIni(ini, "S", "k", "dflt"), c.read);
        EXPECT_EQ((ini.values[{"S", "k"}]), c.after);
    }
}

TEST(IniSettings, FirstStartFillsTheFileWithDefaults) {
    FakeIniFile ini;
    const HotkeyBoxes boxes = LoadHotKeys(ini);
    EXPECT_EQ(ReadUrlSetting(ini), "");
    for (int i = 0; i < kHotkeyBoxCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(boxes[i].text, "null");
        EXPECT_EQ((ini.values[{"HotKey", std::to_string(i)}]), "46,0,0,0");
    }
    EXPECT_EQ(ini.values.count({"url", "url"}), 1u);
    EXPECT_EQ(ini.values.size(), 7u);
}

TEST(IniSettings, LoadRebuildsEachBoxFromItsStoredNumbers) {
    FakeIniFile ini;
    ini.values[{"HotKey", "0"}] = "65,-1,-1,0";
    ini.values[{"HotKey", "1"}] = "80,1,0,0";
    ini.values[{"HotKey", "2"}] = "not a value";
    ini.values[{"HotKey", "3"}] = "46,-1,0,0";
    ini.values[{"HotKey", "4"}] = "";
    ini.values[{"HotKey", "5"}] = "116,0,0,-1";
    const HotkeyBoxes boxes = LoadHotKeys(ini);
    const std::pair<const char*, const char*> expected[] = {{"Ctrl + Alt + A", "65,-1,-1,0"},
                                                            {"(At least one control key)", "80,1,0,0"},
                                                            {"null", "46,0,0,0"},
                                                            {"null", "46,0,0,0"},
                                                            {"null", "46,0,0,0"},
                                                            {"Shift + F5", "116,0,0,-1"}};
    for (int i = 0; i < kHotkeyBoxCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(boxes[i].text, expected[i].first);
        EXPECT_EQ(boxes[i].value, expected[i].second);
    }
    // Only the empty value is rewritten; a malformed one stays in the file until the next save.
    EXPECT_EQ((ini.values[{"HotKey", "4"}]), "46,0,0,0");
    EXPECT_EQ((ini.values[{"HotKey", "2"}]), "not a value");
}

TEST(IniSettings, SaveThenLoadGivesTheSameBoxes) {
    FakeIniFile ini;
    HotkeyBoxes boxes;
    boxes[0] = HotkeyBoxAfterKeyDown('A', kKeyDownCtrl | kKeyDownAlt);
    boxes[4] = HotkeyBoxAfterKeyDown('P', 0);
    SaveHotKeys(ini, boxes);
    EXPECT_EQ((ini.values[{"HotKey", "0"}]), "65,-1,-1,0");
    EXPECT_EQ((ini.values[{"HotKey", "4"}]), "80,0,0,0");
    EXPECT_EQ(LoadHotKeys(ini), boxes);
}

TEST(IniSettings, PathIsBesideTheProgram) { EXPECT_EQ(IniPath("folder"), JoinPath("folder", "a.ini")); }

}  // namespace
}  // namespace tf
