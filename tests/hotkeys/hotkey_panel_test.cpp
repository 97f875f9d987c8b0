#include "hotkeys/hotkey_panel.h"

#include <gtest/gtest.h>

#include "hotkeys/fake_hotkey_registrar.h"

namespace tf {
namespace {

HotkeyBox Keys(int key, int bits) { return HotkeyBoxAfterKeyDown(key, bits); }

constexpr int kCtrlAlt = kKeyDownCtrl | kKeyDownAlt;

TEST(HotkeyPanel, EachBoxTypesItsOwnFieldWhateverIsEmptyBeforeIt) {
    FakeHotkeyRegistrar registrar;
    HotkeyList manager(registrar);
    HotkeyBoxes boxes;  // all "null"
    boxes[1] = Keys('P', kCtrlAlt);
    boxes[3] = Keys('Q', kCtrlAlt);
    boxes[5] = Keys('R', kCtrlAlt);
    const HotkeyEntries entries = ApplyHotKeys(boxes, manager);
    EXPECT_EQ(entries, (HotkeyEntries{-1, 1, -1, 2, -1, 3}));

    struct Case {
        int entry;
        std::optional<int> slot;
    };
    // Box 1 is the first to register, yet it types Text2 (the password), not Text1.
    const Case cases[] = {{1, 2}, {2, 4}, {3, std::nullopt}, {4, std::nullopt}, {0, std::nullopt}, {-1, std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(SlotForEntry(entries, c.entry), c.slot);
    }
    for (int box = 0; box < kHotkeyBoxCount; ++box) {
        EXPECT_EQ(SlotForBox(box), box < 4 ? std::optional<int>(box + 1) : std::nullopt) << box;
    }
}

TEST(HotkeyPanel, BareKeysStayUnregisteredAndKeepTheirText) {
    FakeHotkeyRegistrar registrar;
    HotkeyList manager(registrar);
    HotkeyBoxes boxes;
    boxes[0] = Keys('P', 0);
    boxes[1] = Keys(112, 0);
    const HotkeyBoxes before = boxes;
    EXPECT_EQ(ApplyHotKeys(boxes, manager), (HotkeyEntries{-1, -1, -1, -1, -1, -1}));
    EXPECT_TRUE(registrar.registered.empty());
    EXPECT_EQ(boxes, before);
    EXPECT_FALSE(manager.StartHotKeys());
}

TEST(HotkeyPanel, RefusedBoxesShowNullAndTheFirstOfADuplicateKeepsWorking) {
    FakeHotkeyRegistrar registrar;
    registrar.heldElsewhere.insert({kHotkeyCtrl | kHotkeyAlt, 'X'});
    HotkeyList manager(registrar);
    HotkeyBoxes boxes;
    boxes[0] = Keys('A', kCtrlAlt);
    boxes[1] = Keys('X', kCtrlAlt);
    boxes[2] = Keys('A', kCtrlAlt);
    boxes[3] = Keys('B', kCtrlAlt);
    const HotkeyEntries entries = ApplyHotKeys(boxes, manager);
    EXPECT_EQ(entries, (HotkeyEntries{1, -1, -1, 2, -1, -1}));
    EXPECT_EQ(boxes[0].text, "Ctrl + Alt + A");
    EXPECT_EQ(boxes[1], HotkeyBox{});
    EXPECT_EQ(boxes[2], HotkeyBox{});
    // Entry 1 is still the registration the system holds for box 0's keys.
    EXPECT_EQ(registrar.registered.count(manager.Identifier(1)), 1u);
    EXPECT_EQ(manager.Dispatch(manager.Identifier(1)), (HotkeyPress{1, 'A', true, true, false}));
}

TEST(HotkeyPanel, ApplyingAgainReplacesTheEarlierRegistrations) {
    FakeHotkeyRegistrar registrar;
    HotkeyList manager(registrar);
    HotkeyBoxes boxes;
    boxes[0] = Keys('A', kCtrlAlt);
    boxes[1] = Keys('B', kCtrlAlt);
    ApplyHotKeys(boxes, manager);
    boxes[0] = HotkeyBox{};
    EXPECT_EQ(ApplyHotKeys(boxes, manager), (HotkeyEntries{-1, 1, -1, -1, -1, -1}));
    EXPECT_EQ(registrar.registered.size(), 1u);
    EXPECT_EQ(registrar.atoms.size(), 1u);
}

}  // namespace
}  // namespace tf
