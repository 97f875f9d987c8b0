#include "hotkeys/hotkey_panel.h"

namespace tf {

HotkeyEntries ApplyHotKeys(HotkeyBoxes& boxes, HotkeyList& manager) {
    manager.ClsAllHotKey();
    HotkeyEntries entries;
    entries.fill(-1);
    for (int i = 0; i < kHotkeyBoxCount; ++i) {
        if (!IsRegistrable(boxes[i])) continue;
        const HotkeyValue v = ParseHotkeyValue(boxes[i].value);
        entries[i] = manager.AddHotKey(v.key, v.ctrl != 0, v.alt != 0, v.shift != 0);
        if (entries[i] == -1) boxes[i] = SetHotKeyBox(kKeyDelete, 0, 0, 0);
    }
    return entries;
}

std::optional<int> SlotForBox(int box) {
    if (box < 0 || box > 3) return std::nullopt;
    return box + 1;
}

std::optional<int> SlotForEntry(const HotkeyEntries& entries, int entry) {
    if (entry < 1) return std::nullopt;
    for (int i = 0; i < kHotkeyBoxCount; ++i) {
        if (entries[i] == entry) return SlotForBox(i);
    }
    return std::nullopt;
}

}  // namespace tf
