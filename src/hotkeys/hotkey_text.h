// What a hotkey capture box shows and keeps: the display text of a combination and its stored value
// "key,ctrl,alt,shift" (flags written -1 for held, 0 for not).
#pragma once

#include <string>
#include <string_view>

namespace tf {

inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyDelete = 46;
inline constexpr char kNoHotkeyValue[] = "46,0,0,0";
inline constexpr char kNoHotkeyText[] = "null";
inline constexpr char kNeedsModifierText[] = "(At least one control key)";

// The four numbers of a value as they were stored. A flag is held for registration when it is not 0,
// but only -1 earns its word in the display text.
struct HotkeyValue {
    int key = kKeyDelete;
    int ctrl = 0;
    int alt = 0;
    int shift = 0;

    bool HasModifier() const { return ctrl != 0 || alt != 0 || shift != 0; }
    bool operator==(const HotkeyValue&) const = default;
};

std::string HotKeyText(int keyCode, int ctrl, int alt, int shift);

std::string FormatHotkeyValue(const HotkeyValue& value);

// Anything that is not exactly four whole numbers separated by "," reads as no hotkey, so a damaged
// settings file leaves the box empty instead of failing.
HotkeyValue ParseHotkeyValue(std::string_view stored);

// One capture box: its text and the value kept with it.
struct HotkeyBox {
    std::string text = kNoHotkeyText;
    std::string value = kNoHotkeyValue;

    bool IsEmpty() const { return text == kNoHotkeyText; }
    bool operator==(const HotkeyBox&) const = default;
};

// SetHotKeyBox: a box showing "null" always keeps the no-hotkey value, whatever the flags were.
HotkeyBox SetHotKeyBox(int keyCode, int ctrl, int alt, int shift);

// Modifier bits delivered with a key-down.
inline constexpr int kKeyDownShift = 1;
inline constexpr int kKeyDownCtrl = 2;
inline constexpr int kKeyDownAlt = 4;

// txtHotKey_KeyDown: the key pressed last replaces whatever the box held.
HotkeyBox HotkeyBoxAfterKeyDown(int keyCode, int modifierBits);

// A box worth registering: not empty, and with at least one modifier, since a bare key taken
// system-wide would stop the user typing that key anywhere.
bool IsRegistrable(const HotkeyBox& box);

}  // namespace tf
