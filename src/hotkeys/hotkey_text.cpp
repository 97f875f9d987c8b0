#include "hotkeys/hotkey_text.h"

#include <charconv>

namespace tf {

std::string HotKeyText(int keyCode, int ctrl, int alt, int shift) {
    if (keyCode == kKeyDelete || keyCode == kKeyBackspace) return kNoHotkeyText;
    std::string m;
    const auto add = [&m](const char* word) {
        if (!m.empty()) m += " + ";
        m += word;
    };
    if (ctrl == -1) add("Ctrl");
    if (alt == -1) add("Alt");
    if (shift == -1) add("Shift");
    if (m.empty()) return kNeedsModifierText;
    // 111 is the keypad divide key; it shows as "F0" because the function keys start at 112.
    if (keyCode >= 111 && keyCode <= 124) return m + " + F" + std::to_string(keyCode - 111);
    if ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9')) {
        return m + " + " + static_cast<char>(keyCode);
    }
    return m;
}

std::string FormatHotkeyValue(const HotkeyValue& value) {
    return std::to_string(value.key) + "," + std::to_string(value.ctrl) + "," + std::to_string(value.alt) + "," +
           std::to_string(value.shift);
}

HotkeyValue ParseHotkeyValue(std::string_view stored) {
    int fields[4] = {};
    const char* p = stored.data();
    const char* const end = p + stored.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != ',') return {};
            ++p;
        }
        const auto [next, error] = std::from_chars(p, end, fields[i]);
        if (error != std::errc() || next == p) return {};
        p = next;
    }
    if (p != end) return {};
    return {fields[0], fields[1], fields[2], fields[3]};
}

HotkeyBox SetHotKeyBox(int keyCode, int ctrl, int alt, int shift) {
    HotkeyBox box;
    box.text = HotKeyText(keyCode, ctrl, alt, shift);
    box.value = box.IsEmpty() ? kNoHotkeyValue : FormatHotkeyValue({keyCode, ctrl, alt, shift});
    return box;
}

HotkeyBox HotkeyBoxAfterKeyDown(int keyCode, int modifierBits) {
    const auto flag = [modifierBits](int bit) { return (modifierBits & bit) != 0 ? -1 : 0; };
    return SetHotKeyBox(keyCode, flag(kKeyDownCtrl), flag(kKeyDownAlt), flag(kKeyDownShift));
}

bool IsRegistrable(const HotkeyBox& box) { return !box.IsEmpty() && ParseHotkeyValue(box.value).HasModifier(); }

}  // namespace tf
