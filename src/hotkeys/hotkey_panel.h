// The six capture boxes of the hotkey panel: registering them with the manager and telling which
// credential field a registered hotkey types.
#pragma once

#include <array>
#include <optional>

#include "hotkeys/hotkey_list.h"
#include "hotkeys/hotkey_text.h"

namespace tf {

inline constexpr int kHotkeyBoxCount = 6;
using HotkeyBoxes = std::array<HotkeyBox, kHotkeyBoxCount>;
// Per box, the manager's entry number, or -1 when the box is not registered.
using HotkeyEntries = std::array<int, kHotkeyBoxCount>;

// ApplyHotKeys without starting the listener: clears the manager and registers every box that has a
// modifier. A box the manager refuses (held elsewhere, or the same combination as an earlier box)
// is reset to "null"; the settings file is not touched.
HotkeyEntries ApplyHotKeys(HotkeyBoxes& boxes, HotkeyList& manager);

// The credential field a box types: boxes 0..3 type Text1..Text4, boxes 4 and 5 nothing.
std::optional<int> SlotForBox(int box);

// The field a pressed entry types, found through the box that registered it, so an empty box in
// front does not shift the later boxes onto the wrong field.
std::optional<int> SlotForEntry(const HotkeyEntries& entries, int entry);

}  // namespace tf
