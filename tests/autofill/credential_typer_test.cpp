#include "autofill/credential_typer.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tf {
namespace {

// One log for all three ports, so that the order of the steps shows.
struct Ports : ClipboardPort, WaitPort, KeyPort {
    std::vector<std::string> log;
    int busyPuts = 0;  // attempts refused before the clipboard is had; -1: busy throughout
    bool waitWorks = true;
    bool keysPass = true;
    std::string clipboard = "before";
    // Runs inside the wait, as a message handled there would, after its first attempt.
    std::function<void()> duringWait;

    bool PutText(const std::string& text) override {
        log.push_back("put " + text);
        if (busyPuts < 0) return false;
        if (busyPuts > 0) {
            --busyPuts;
            return false;
        }
        clipboard = text;
        return true;
    }
    bool Waiting() const override { return waiting; }
    bool WaitTrying(int milliseconds, int retryMs, const std::function<bool()>& attempt, std::string& error) override {
        log.push_back("wait " + std::to_string(milliseconds));
        if (!waitWorks) {
            error = "[clsWaitableTimer.Wait] no timer";
            return false;
        }
        waiting = true;
        // An attempt at the start, every retryMs, and one as the time is up.
        for (int t = 0; t <= milliseconds + retryMs; t += retryMs) {
            const bool taken = attempt();
            if (t == 0 && duringWait) duringWait();
            if (taken) break;
        }
        waiting = false;
        log.push_back("waited");
        return true;
    }
    bool SendPaste() override {
        log.push_back("paste " + clipboard);
        return keysPass;
    }
    bool TypeText(const std::string& text) override {
        log.push_back("type " + text);
        return keysPass;
    }

private:
    bool waiting = false;
};

using Log = std::vector<std::string>;

Log Repeat(const std::string& line, int times) { return Log(static_cast<std::size_t>(times), line); }

Log Join(std::initializer_list<Log> parts) {
    Log out;
    for (const Log& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(HotKeyPress, PutsTheEntrysSlotOnTheClipboardDuringTheWaitThenPastes) {
    const CredentialSlots slots{"alice", "secret", "", "p2", "http://a/"};
    const std::pair<int, Log> cases[] = {
        {1, {"wait 240", "put alice", "waited", "paste alice"}},
        {2, {"wait 240", "put secret", "waited", "paste secret"}},
        {3, {"wait 240", "put ", "waited", "paste "}},  // an empty slot still empties the clipboard
        {4, {"wait 240", "put p2", "waited", "paste p2"}},
    };
    for (const auto& [entry, log] : cases) {
        SCOPED_TRACE(entry);
        Ports ports;
        EXPECT_EQ(cHK_HotKeyPress(entry, slots, ports, ports, ports), PasteOutcome::kPasted);
        EXPECT_EQ(ports.log, log);
    }
}

TEST(HotKeyPress, BusyClipboardIsTriedAgainWithinTheWait) {
    const CredentialSlots slots{"alice", "secret", "", "", ""};
    Ports ports;
    ports.busyPuts = 3;
    EXPECT_EQ(cHK_HotKeyPress(2, slots, ports, ports, ports), PasteOutcome::kPasted);
    EXPECT_EQ(ports.log, Join({{"wait 240"}, Repeat("put secret", 4), {"waited", "paste secret"}}));
}

TEST(HotKeyPress, SecondPressWhilePasteWaitsIsRefusedBeforeTheClipboard) {
    const CredentialSlots slots{"alice", "secret", "bob", "", ""};
    // Whether or not the first press has had the clipboard yet.
    for (int busyPuts : {0, 2}) {
        SCOPED_TRACE(busyPuts);
        Ports ports;
        ports.busyPuts = busyPuts;
        std::vector<PasteOutcome> nested;
        ports.duringWait = [&] {
            for (int entry : {1, 3, 2}) nested.push_back(cHK_HotKeyPress(entry, slots, ports, ports, ports));
        };
        EXPECT_EQ(cHK_HotKeyPress(2, slots, ports, ports, ports), PasteOutcome::kPasted);
        EXPECT_EQ(nested, std::vector<PasteOutcome>(3, PasteOutcome::kPasteWaiting));
        EXPECT_EQ(ports.log, Join({{"wait 240"}, Repeat("put secret", busyPuts + 1), {"waited", "paste secret"}}));

        // The wait is over: the next press goes through.
        ports.log.clear();
        ports.duringWait = nullptr;
        EXPECT_EQ(cHK_HotKeyPress(1, slots, ports, ports, ports), PasteOutcome::kPasted);
        EXPECT_EQ(ports.clipboard, "alice");
    }
}

TEST(HotKeyPress, EntriesOutsideOneToFourDoNothing) {
    const CredentialSlots slots{"a", "b", "c", "d", "e"};
    for (int entry : {0, 5, 6, -1}) {
        SCOPED_TRACE(entry);
        Ports ports;
        EXPECT_EQ(SlotForEntry(entry, slots), nullptr);
        EXPECT_EQ(cHK_HotKeyPress(entry, slots, ports, ports, ports), PasteOutcome::kNoSuchEntry);
        EXPECT_TRUE(ports.log.empty());
    }
}

TEST(HotKeyPress, StopsBeforeThePasteWhenAStepFails) {
    struct Case {
        const char* name;
        int busyPuts;
        bool waitWorks, keysPass;
        PasteOutcome outcome;
        Log log;
        std::string error;
    };
    const Case cases[] = {
        // Pasting now would insert whatever the clipboard held before.
        {"clipboard busy", -1, true, true, PasteOutcome::kClipboardBusy,
         Join({{"wait 240"}, Repeat("put secret", 14), {"waited"}}), "untouched"},
        {"wait failed", 0, false, true, PasteOutcome::kWaitFailed, {"wait 240"}, "[clsWaitableTimer.Wait] no timer"},
        {"keys blocked",
         0,
         true,
         false,
         PasteOutcome::kKeysBlocked,
         {"wait 240", "put secret", "waited", "paste secret"},
         "untouched"},
    };
    const CredentialSlots slots{"alice", "secret", "", "", ""};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ports ports;
        ports.busyPuts = c.busyPuts;
        ports.waitWorks = c.waitWorks;
        ports.keysPass = c.keysPass;
        std::string error = "untouched";
        EXPECT_EQ(cHK_HotKeyPress(2, slots, ports, ports, ports, &error), c.outcome);
        EXPECT_EQ(ports.log, c.log);
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace tf
