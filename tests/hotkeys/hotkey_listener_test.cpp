#include "hotkeys/hotkey_listener.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "hotkeys/fake_hotkey_registrar.h"

namespace tf {
namespace {

// A message queue played from a script: each pass of a loop takes one step, which may carry a
// hotkey message, something that runs while pending messages are processed, and the quit message.
class ScriptedPump : public MessagePump {
public:
    struct Step {
        std::optional<int> hotkey;
        std::function<void()> pending;
        bool quit = false;
    };

    explicit ScriptedPump(HotkeyList& list) : list_(list) {}
    void Add(Step step) { steps_.push_back(std::move(step)); }

    void WaitForMessage() override {
        ++waits;
        if (steps_.empty()) {
            // A loop that outlives its script would wait forever.
            ranDry = true;
            list_.StopHotKeys();
            current_ = Step{};
            return;
        }
        current_ = std::move(steps_.front());
        steps_.pop_front();
    }
    std::optional<int> TakeHotkeyMessage() override { return current_.hotkey; }
    void ForwardHotkeyMessage() override { forwarded.push_back(*current_.hotkey); }
    bool ProcessPendingMessages() override {
        Step step = std::move(current_);
        current_ = Step{};
        if (step.pending) step.pending();
        return !step.quit;
    }

    int waits = 0;
    bool ranDry = false;
    std::vector<int> forwarded;

private:
    HotkeyList& list_;
    std::deque<Step> steps_;
    Step current_;
};

struct ListenerTest : ::testing::Test {
    FakeHotkeyRegistrar registrar;
    HotkeyList list{registrar};
    ScriptedPump pump{list};
    std::vector<HotkeyPress> presses;
    HotkeyPressHandler record = [this](const HotkeyPress& press) { presses.push_back(press); };
};

TEST_F(ListenerTest, EntriesRaiseTheirPressAndOtherHotkeysAreHandedOn) {
    ASSERT_EQ(list.AddHotKey('A', true, true, false), 1);
    ASSERT_EQ(list.AddHotKey('P', true, true, false), 2);
    ASSERT_TRUE(list.StartHotKeys());
    // The window's own function key (identifier 1) and an atom no entry holds.
    pump.Add({list.Identifier(2), {}});
    pump.Add({1, {}});
    pump.Add({0xFFFE, {}});
    pump.Add({list.Identifier(1), [&] { list.StopHotKeys(); }});

    HotKeyLoop(list, pump, record);
    EXPECT_EQ(presses, (std::vector<HotkeyPress>{{2, 'P', true, true, false}, {1, 'A', true, true, false}}));
    EXPECT_EQ(pump.forwarded, (std::vector<int>{1, 0xFFFE}));
    EXPECT_FALSE(pump.ranDry);
}

TEST_F(ListenerTest, StopIsSeenOnlyAtTheNextPass) {
    ASSERT_EQ(list.AddHotKey('A', true, false, false), 1);
    const int id = list.Identifier(1);
    // A loop that was never armed does not wait at all.
    HotKeyLoop(list, pump, record);
    EXPECT_EQ(pump.waits, 0);

    ASSERT_TRUE(list.StartHotKeys());
    bool ranAfterStop = false;
    pump.Add({id, {}});
    pump.Add({std::nullopt, [&] { list.StopHotKeys(); }});
    pump.Add({id, {}});
    HotKeyLoop(list, pump, [&](const HotkeyPress& press) {
        presses.push_back(press);
        ranAfterStop = list.Stopped();
    });
    EXPECT_EQ(pump.waits, 2);
    EXPECT_EQ(presses.size(), 1u);
    EXPECT_FALSE(ranAfterStop);
    EXPECT_FALSE(pump.ranDry);
}

TEST_F(ListenerTest, ARestartFromAHandlerRunsANestedLoopAndTheOuterOneGoesOnAfterIt) {
    ASSERT_EQ(list.AddHotKey('A', true, true, false), 1);
    ASSERT_TRUE(list.StartHotKeys());
    int depth = 0, deepest = 0;
    std::function<void()> tick = [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        HotKeyLoop(list, pump, record);
        --depth;
    };
    int newId = 0;
    // "Confirm setting" clicked while the loop runs: clear, register anew, restart; the restart's
    // timer tick then starts a loop inside this one's message processing.
    pump.Add({std::nullopt, [&] {
                  list.ClsAllHotKey();
                  ASSERT_EQ(list.AddHotKey('P', true, true, false), 1);
                  newId = list.Identifier(1);
                  ASSERT_TRUE(list.StartHotKeys());
              }});
    pump.Add({std::nullopt, [&] { tick(); }});
    // Served by the inner loop, which a later stop ends; the outer one then sees the same flag.
    pump.Add({std::nullopt, [&] {}});
    pump.Add({0, [&] { list.StopHotKeys(); }});

    HotKeyLoop(list, pump, record);
    EXPECT_EQ(deepest, 1);
    EXPECT_FALSE(pump.ranDry);
    EXPECT_EQ(pump.waits, 4);
    EXPECT_TRUE(list.Stopped());
    EXPECT_NE(newId, 0);
    EXPECT_EQ(pump.forwarded, std::vector<int>{0});
}

TEST_F(ListenerTest, TheNewEntryIsServedAfterARestartAndTheQuitMessageEndsEveryLoop) {
    ASSERT_EQ(list.AddHotKey('A', true, true, false), 1);
    const int oldId = list.Identifier(1);
    ASSERT_TRUE(list.StartHotKeys());
    int newId = 0;
    int innerLoops = 0;
    pump.Add({std::nullopt, [&] {
                  list.ClsAllHotKey();
                  list.AddHotKey('P', true, true, false);
                  newId = list.Identifier(1);
                  list.StartHotKeys();
                  ++innerLoops;
                  // The inner loop is fed its own steps through the same queue.
                  pump.Add({oldId, {}});
                  pump.Add({newId, {}, true});
                  HotKeyLoop(list, pump, record);
              }});

    HotKeyLoop(list, pump, record);
    EXPECT_EQ(innerLoops, 1);
    EXPECT_EQ(presses, (std::vector<HotkeyPress>{{1, 'P', true, true, false}}));
    EXPECT_EQ(pump.forwarded, std::vector<int>{oldId});
    EXPECT_EQ(pump.waits, 3);
    EXPECT_TRUE(list.Stopped());
}

}  // namespace
}  // namespace tf
