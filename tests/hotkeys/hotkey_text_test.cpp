#include "hotkeys/hotkey_text.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(HotkeyText, KeyDownGivesTheTextAndValueOfTheExamples) {
    constexpr int kCtrl = kKeyDownCtrl, kAlt = kKeyDownAlt, kShift = kKeyDownShift;
    struct Case {
        int key, bits;
        const char* text;
        const char* value;
    };
    const Case cases[] = {
        {65, kCtrl | kAlt, "Ctrl + Alt + A", "65,-1,-1,0"},
        {55, kAlt | kShift, "Alt + Shift + 7", "55,0,-1,-1"},
        {116, kShift, "Shift + F5", "116,0,0,-1"},
        {32, kCtrl | kAlt, "Ctrl + Alt", "32,-1,-1,0"},
        {111, kCtrl, "Ctrl + F0", "111,-1,0,0"},
        {80, 0, "(At least one control key)", "80,0,0,0"},
        {46, kCtrl, "null", "46,0,0,0"},
        {8, kCtrl | kAlt | kShift, "null", "46,0,0,0"},
        {112, kCtrl | kShift, "Ctrl + Shift + F1", "112,-1,0,-1"},
        {123, kAlt, "Alt + F12", "123,0,-1,0"},
        {124, kAlt, "Alt + F13", "124,0,-1,0"},
        {125, kAlt, "Alt", "125,0,-1,0"},
        {90, kCtrl | kAlt | kShift, "Ctrl + Alt + Shift + Z", "90,-1,-1,-1"},
        {48, kCtrl, "Ctrl + 0", "48,-1,0,0"},
        {18, kCtrl | kAlt, "Ctrl + Alt", "18,-1,-1,0"},
        {97, kCtrl, "Ctrl", "97,-1,0,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const HotkeyBox box = HotkeyBoxAfterKeyDown(c.key, c.bits);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.value, c.value);
    }
}

TEST(HotkeyText, OnlyMinusOneCountsAsAModifierWord) {
    // A stored 1 stays in the value but earns no word, so the box asks for a modifier.
    const HotkeyBox box = SetHotKeyBox(65, 1, 0, 0);
    EXPECT_EQ(box.text, kNeedsModifierText);
    EXPECT_EQ(box.value, "65,1,0,0");
    EXPECT_EQ(HotKeyText(65, 1, -1, 0), "Alt + A");
}

TEST(HotkeyText, MalformedStoredValuesReadAsNoHotkey) {
    const char* malformed[] = {
        "",           "46",          "65,-1,-1",    "65,-1,-1,0,0", "65,-1,x,0",          "A,-1,-1,0", "65,,-1,0",
        "65;-1;-1;0", " 65,-1,-1,0", "65,-1,-1,0 ", "1.5,0,0,-1",   "99999999999,-1,0,0", "65,-1,-1,"};
    for (const char* stored : malformed) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(ParseHotkeyValue(stored), HotkeyValue{});
    }
    EXPECT_EQ(FormatHotkeyValue(ParseHotkeyValue("garbage")), kNoHotkeyValue);
}

TEST(HotkeyText, WellFormedStoredValuesKeepTheirNumbers) {
    const std::pair<const char*, HotkeyValue> cases[] = {
        {"65,-1,-1,0", {65, -1, -1, 0}},
        {"46,0,0,0", {46, 0, 0, 0}},
        {"112,1,0,-1", {112, 1, 0, -1}},
    };
    for (const auto& [stored, value] : cases) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(ParseHotkeyValue(stored), value);
        EXPECT_EQ(FormatHotkeyValue(value), stored);
    }
}

TEST(HotkeyText, BareKeysAndEmptyBoxesAreNotRegistrable) {
    struct Case {
        HotkeyBox box;
        bool registrable;
    };
    const Case cases[] = {
        {HotkeyBoxAfterKeyDown(80, 0), false},
        {HotkeyBoxAfterKeyDown(112, 0), false},
        {HotkeyBoxAfterKeyDown(46, kKeyDownCtrl), false},
        {HotkeyBox{}, false},
        {HotkeyBoxAfterKeyDown(80, kKeyDownShift), true},
        {HotkeyBoxAfterKeyDown(32, kKeyDownCtrl | kKeyDownAlt), true},
        // Shows no modifier word, but the stored 1 is held when registering.
        {SetHotKeyBox(65, 1, 0, 0), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box.value);
        EXPECT_EQ(IsRegistrable(c.box), c.registrable);
    }
}

}  // namespace
}  // namespace tf
