#include "hotkeys/hotkey_list.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hotkeys/fake_hotkey_registrar.h"

namespace tf {
namespace {

// Draws that make the given characters in turn (each character's code is 60..129).
HotkeyList::RandomSource Drawing(const std::string& codes) {
    auto next = std::make_shared<size_t>(0);
    return [codes, next] {
        const unsigned char c = static_cast<unsigned char>(codes[(*next)++ % codes.size()]);
        return (c - 60 + 0.5) / 70;
    };
}

struct Combination {
    int key;
    bool ctrl, alt, shift;
};

void ExpectEntry(const HotkeyList& list, int index, const Combination& c) {
    int key = -7;
    bool ctrl = false, alt = false, shift = false;
    EXPECT_EQ(list.GetHotKeySetting(index, key, ctrl, alt, shift), list.HotKeysCount());
    EXPECT_EQ(key, c.key);
    EXPECT_EQ(ctrl, c.ctrl);
    EXPECT_EQ(alt, c.alt);
    EXPECT_EQ(shift, c.shift);
}

TEST(HotkeyList, RemovingTheSecondOfThreeRenumbersTheThird) {
    FakeHotkeyRegistrar registrar;
    HotkeyList list(registrar);
    const Combination a{65, true, true, false}, b{66, true, false, false}, c{112, false, false, true};
    EXPECT_EQ(list.AddHotKey(a.key, a.ctrl, a.alt, a.shift), 1);
    EXPECT_EQ(list.AddHotKey(b.key, b.ctrl, b.alt, b.shift), 2);
    EXPECT_EQ(list.AddHotKey(c.key, c.ctrl, c.alt, c.shift), 3);
    const int firstId = list.Identifier(1), thirdId = list.Identifier(3), secondId = list.Identifier(2);

    EXPECT_TRUE(list.DelHotKey(b.key, b.ctrl, b.alt, b.shift));
    EXPECT_EQ(list.HotKeysCount(), 2);
    ExpectEntry(list, 1, a);
    ExpectEntry(list, 2, c);
    ExpectEntry(list, 0, {0, false, false, false});
    EXPECT_EQ(registrar.registered.count(secondId), 0u);
    EXPECT_EQ(registrar.atoms.size(), 2u);

    EXPECT_EQ(list.Dispatch(thirdId), (HotkeyPress{2, 112, false, false, true}));
    EXPECT_EQ(list.Dispatch(firstId), (HotkeyPress{1, 65, true, true, false}));
    EXPECT_EQ(list.Dispatch(secondId), std::nullopt);
    EXPECT_FALSE(list.DelHotKey(b.key, b.ctrl, b.alt, b.shift));
}

TEST(HotkeyList, IdentifiersOfNoEntryRaiseNothing) {
    FakeHotkeyRegistrar registrar;
    HotkeyList list(registrar);
    for (int id : {0, 1, 2, 3, 4, -1}) EXPECT_EQ(list.Dispatch(id), std::nullopt) << id;
    list.AddHotKey(65, true, false, false);
    // The fixed function keys use 1..4; slot 0's identifier 0 is no entry's either.
    for (int id : {0, 1, 2, 3, 4, list.Identifier(1) + 1}) EXPECT_EQ(list.Dispatch(id), std::nullopt) << id;
}

TEST(HotkeyList, RegistersTheMaskAndKeyWithTheEntrysAtom) {
    FakeHotkeyRegistrar registrar;
    HotkeyList list(registrar);
    ASSERT_EQ(list.AddHotKey(80, true, true, true), 1);
    const auto& [modifiers, key] = registrar.registered.at(list.Identifier(1));
    EXPECT_EQ(modifiers, kHotkeyCtrl | kHotkeyAlt | kHotkeyShift);
    EXPECT_EQ(key, 80u);
    EXPECT_EQ(registrar.atoms.at(list.AtomName(1)).id, list.Identifier(1));
}

TEST(HotkeyList, EmptyListDoesNotArmTheListener) {
    FakeHotkeyRegistrar registrar;
    HotkeyList list(registrar);
    EXPECT_EQ(list.HotKeysCount(), 0);
    EXPECT_FALSE(list.StartHotKeys());
    EXPECT_TRUE(list.Stopped());
    EXPECT_FALSE(list.DelHotKey(46));
}

TEST(HotkeyList, RestartFromAHandlerKeepsTheLoopGoing) {
    FakeHotkeyRegistrar registrar;
    HotkeyList list(registrar);
    list.AddHotKey(65, true, false, false);
    EXPECT_TRUE(list.StartHotKeys());
    EXPECT_FALSE(list.Stopped());
    // "Confirm setting" inside a handler: clear, add, start again before the loop's next pass.
    EXPECT_FALSE(list.ClsAllHotKey());
    EXPECT_TRUE(list.Stopped());
    EXPECT_TRUE(registrar.registered.empty());
    EXPECT_TRUE(registrar.atoms.empty());
    list.AddHotKey(66, false, true, false);
    EXPECT_TRUE(list.StartHotKeys());
    EXPECT_FALSE(list.Stopped());
    list.StopHotKeys();
    EXPECT_TRUE(list.Stopped());
    EXPECT_EQ(registrar.registered.size(), 1u);
}

TEST(HotkeyList, RefusalsChangeNothingAndKeepTheOlderEntry) {
    struct Case {
        const char* what;
        Combination add;
    };
    const Case cases[] = {
        {"exact duplicate", {65, true, false, false}},
        {"same key without modifiers held", {66, false, false, false}},
        {"same key, only Alt asked for", {66, false, true, false}},
        {"held by another program", {67, true, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeHotkeyRegistrar registrar;
        registrar.heldElsewhere.insert({kHotkeyCtrl, 67});
        HotkeyList list(registrar);
        ASSERT_EQ(list.AddHotKey(65, true, false, false), 1);
        ASSERT_EQ(list.AddHotKey(66), 2);
        EXPECT_EQ(list.AddHotKey(c.add.key, c.add.ctrl, c.add.alt, c.add.shift), -1);
        EXPECT_EQ(list.HotKeysCount(), 2);
        ExpectEntry(list, 1, {65, true, false, false});
        EXPECT_EQ(registrar.registered.size(), 2u);
        EXPECT_EQ(registrar.atoms.size(), 2u);
    }
}

TEST(HotkeyList, SameKeyWithCtrlOrShiftIsAddedNextToTheBareOne) {
    FakeHotkeyRegistrar registrar;
    HotkeyList list(registrar);
    ASSERT_EQ(list.AddHotKey(66), 1);
    EXPECT_EQ(list.AddHotKey(66, true), 2);
    EXPECT_EQ(list.AddHotKey(66, false, false, true), 3);
}

TEST(HotkeyList, GetHotKeySettingOutsideTheListLeavesTheArgumentsAlone) {
    FakeHotkeyRegistrar registrar;
    HotkeyList list(registrar);
    list.AddHotKey(65, true, false, false);
    for (int index : {-1, 2, 100}) {
        SCOPED_TRACE(index);
        int key = 9;
        bool ctrl = true, alt = true, shift = true;
        EXPECT_EQ(list.GetHotKeySetting(index, key, ctrl, alt, shift), -1);
        EXPECT_EQ(key, 9);
        EXPECT_TRUE(ctrl && alt && shift);
    }
}

TEST(HotkeyList, AtomNamesAreLettersUniqueAndNeverEmpty) {
    struct Case {
        const char* what;
        std::string draws;
        int added;
    };
    // 16 draws make one name. '<' '@' '[' '`' '{' and '~' are codes in the draw range that are no letter.
    const Case cases[] = {
        {"same draws every time", std::string(16, 'Q'), 1},
        {"no letter for a whole name first",
         std::string(16, '[') + std::string(16, 'a') + std::string(16, 'b') + std::string(16, 'c'), 3},
        {"mixed", "<Ab@[z`{~Zq" + std::string(5, 'x') + std::string(16, 'x') + "Mm", 3},
        {"repeats one name, then moves on", std::string(32, 'K') + std::string(16, 'L') + std::string(16, 'N'), 3},
        // The table hands back the first entry's atom for its name in lower case.
        {"same name in another case",
         std::string(16, 'Q') + std::string(16, 'q') + std::string(16, 'R') + std::string(16, 'S'), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeHotkeyRegistrar registrar;
        HotkeyList list(registrar, Drawing(c.draws));
        std::set<int> ids;
        std::set<std::string> names;
        for (int key = 'A'; key <= 'C'; ++key) {
            const int entry = list.AddHotKey(key, true, true, false);
            if (entry == -1) continue;  // a source that repeats forever is refused, never shared
            const std::string& name = list.AtomName(entry);
            EXPECT_FALSE(name.empty());
            for (char ch : name) EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(ch))) << name;
            EXPECT_TRUE(names.insert(name).second) << name;
            EXPECT_TRUE(ids.insert(list.Identifier(entry)).second) << name;
        }
        EXPECT_EQ(list.HotKeysCount(), c.added);
        EXPECT_EQ(static_cast<int>(ids.size()), c.added);
    }
}

TEST(HotkeyList, SeededOnceGivesDistinctNamesInOneInstant) {
    FakeHotkeyRegistrar registrar;
    HotkeyList list(registrar);
    std::set<int> ids;
    for (int key = 'A'; key <= 'Z'; ++key) {
        ASSERT_NE(list.AddHotKey(key, true, false, false), -1);
        ids.insert(list.Identifier(list.HotKeysCount()));
    }
    EXPECT_EQ(ids.size(), 26u);
    EXPECT_EQ(registrar.atoms.size(), 26u);
}

TEST(HotkeyList, DestructionReleasesEverything) {
    FakeHotkeyRegistrar registrar;
    {
        HotkeyList list(registrar);
        list.AddHotKey(65, true, false, false);
        list.AddHotKey(66, true, false, false);
    }
    EXPECT_TRUE(registrar.registered.empty());
    EXPECT_TRUE(registrar.atoms.empty());
}

}  // namespace
}  // namespace tf
