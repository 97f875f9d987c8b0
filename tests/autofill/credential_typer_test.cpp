#include "autofill/credential_typer.h"

#include <gtest/gtest.h>

#include <vector>

namespace tf {
namespace {

// One log for all three ports, so that the order of the steps shows.
struct Ports : ClipboardPort, WaitPort, KeyPort {
    std::vector<std::string> log;
    bool clipboardFree = true;
    bool waitWorks = true;
    bool keysPass = true;

    bool PutText(const std::string& text) override {
        log.push_back("put " + text);
        return clipboardFree;
    }
    bool Wait(int milliseconds, std::string& error) override {
        log.push_back("wait " + std::to_string(milliseconds));
        if (!waitWorks) error = "[clsWaitableTimer.Wait] no timer";
        return waitWorks;
    }
    bool SendPaste() override {
        log.push_back("paste");
        return keysPass;
    }
    bool TypeText(const std::string& text) override {
        log.push_back("type " + text);
        return keysPass;
    }
};

using Log = std::vector<std::string>;

TEST(HotKeyPress, PutsTheEntrysSlotOnTheClipboardWaitsThenPastes) {
    const CredentialSlots slots{"alice", "secret", "", "p2", "http://a/"};
    const std::pair<int, Log> cases[] = {
        {1, {"put alice", "wait 240", "paste"}},
        {2, {"put secret", "wait 240", "paste"}},
        {3, {"put ", "wait 240", "paste"}},  // an empty slot still empties the clipboard
        {4, {"put p2", "wait 240", "paste"}},
    };
    for (const auto& [entry, log] : cases) {
        SCOPED_TRACE(entry);
        Ports ports;
        EXPECT_EQ(cHK_HotKeyPress(entry, slots, ports, ports, ports), PasteOutcome::kPasted);
        EXPECT_EQ(ports.log, log);
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
        bool clipboardFree, waitWorks, keysPass;
        PasteOutcome outcome;
        Log log;
        std::string error;
    };
    const Case cases[] = {
        // Pasting now would insert whatever the clipboard held before.
        {"clipboard busy", false, true, true, PasteOutcome::kClipboardBusy, {"put secret"}, "untouched"},
        {"wait failed",
         true,
         false,
         true,
         PasteOutcome::kWaitFailed,
         {"put secret", "wait 240"},
         "[clsWaitableTimer.Wait] no timer"},
        {"keys blocked",
         true,
         true,
         false,
         PasteOutcome::kKeysBlocked,
         {"put secret", "wait 240", "paste"},
         "untouched"},
    };
    const CredentialSlots slots{"alice", "secret", "", "", ""};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ports ports;
        ports.clipboardFree = c.clipboardFree;
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
