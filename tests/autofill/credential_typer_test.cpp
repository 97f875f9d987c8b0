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
    int heldPolls = 0;  // the modifiers read as held this many times; -1: held throughout
    std::optional<std::string> clipboard = "before";
    std::uint32_t sequence = 1;
    // Runs inside the wait, as a message handled there would, after its first attempt.
    std::function<void()> duringWait;

    bool PutText(const std::string& text, std::optional<std::string>* previous) override {
        log.push_back("put " + text);
        if (busyPuts < 0) return false;
        if (busyPuts > 0) {
            --busyPuts;
            return false;
        }
        if (previous) *previous = clipboard;
        clipboard = text;
        ++sequence;
        return true;
    }
    std::uint32_t Sequence() override { return sequence; }
    bool Restore(const std::optional<std::string>& text) override {
        log.push_back("restore " + text.value_or("(empty)"));
        clipboard = text;
        ++sequence;
        return true;
    }
    bool Waiting() const override { return waiting; }
    bool WaitTrying(int milliseconds, int retryMs, const std::function<bool()>& attempt, std::string& error,
                    bool endWhenDone) override {
        log.push_back("wait " + std::to_string(milliseconds));
        if (!waitWorks) {
            error = "[clsWaitableTimer.Wait] no timer";
            return false;
        }
        waiting = true;
        // An attempt at the start, every retryMs, and one as the time is up.
        bool done = false;
        for (int t = 0; t <= milliseconds + retryMs && !(done && endWhenDone); t += retryMs) {
            if (!done) done = attempt();
            if (t == 0 && duringWait) duringWait();
        }
        waiting = false;
        log.push_back("waited");
        return true;
    }
    bool SendPaste() override {
        log.push_back("paste " + clipboard.value_or(""));
        return keysPass;
    }
    bool TypeText(const std::string& text) override {
        log.push_back("type " + text);
        return keysPass;
    }
    bool ModifiersHeld() override {
        if (heldPolls == 0) return false;
        if (heldPolls > 0) --heldPolls;
        return true;
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

LoginRecord Record(std::string url, std::string account, std::string password) {
    LoginRecord r;
    r[kLoginUrl] = std::move(url);
    r[kAccount] = std::move(account);
    r[kPassword] = std::move(password);
    return r;
}

TEST(PlanPress, TypesOnlyWhatTheAddressInFrontMatchesNow) {
    RecordGrid grid;
    grid.FillGrid({Record("http://bank.example/login", "saver", "s1"), Record("http://mail.example/", "me", "m1"),
                   Record("http://mail.example/", "other", "o1"), Record("https://secure.example/", "sec", "x1")});
    using P = ForegroundPage;
    using V = PressVerdict;
    struct Case {
        Browser browser;
        P page;
        int entry;
        V verdict;
        const char* text;
    };
    const Case cases[] = {
        {Browser::kChrome, {P::kPage, "https://bank.example/login"}, 1, V::kType, "saver"},
        {Browser::kChrome, {P::kPage, "https://bank.example/login"}, 2, V::kType, "s1"},
        {Browser::kChrome, {P::kPage, "mail.example"}, 3, V::kType, "other"},
        {Browser::kChrome, {P::kPage, "mail.example"}, 4, V::kType, "o1"},
        {Browser::kIE, {P::kPage, "http://bank.example/login"}, 2, V::kType, "s1"},
        // Only one record matches: the second account is empty, and nothing is typed.
        {Browser::kChrome, {P::kPage, "https://bank.example/login"}, 3, V::kEmptySlot, ""},
        // The browser on another site, a look-alike title does not count: the address decides.
        {Browser::kChrome, {P::kPage, "https://bank.example.evil/login"}, 2, V::kNoRecord, ""},
        // A record in the old form ("http://") is typed into pages of either scheme, as always; one
        // saved from an https address only into https pages.
        {Browser::kIE, {P::kPage, "https://bank.example/login"}, 2, V::kType, "s1"},
        {Browser::kChrome, {P::kPage, "https://secure.example/", true}, 2, V::kType, "x1"},
        {Browser::kIE, {P::kPage, "https://secure.example"}, 2, V::kType, "x1"},
        {Browser::kChrome, {P::kPage, "http://secure.example/", true}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "secure.example"}, 2, V::kNoRecord, ""},
        {Browser::kIE, {P::kPage, "http://secure.example/"}, 2, V::kNoRecord, ""},
        {Browser::kFirefox, {P::kPage, "http://secure.example/"}, 2, V::kNoRecord, ""},
        // Look-alikes of another site that the decoders and readers used to cut down to this one.
        {Browser::kIE, {P::kPage, "http://bank.example%00@evil.net/login"}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "bank.example%2flogin"}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "https://xn--secure-.example/", true}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "https://secure.example@evil.net/", true}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, ""}, 2, V::kNoRecord, ""},
        {Browser::kFirefox, {P::kPage, std::string(kFirefox) + kBrowserNotOpen}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kOtherWindow, "https://bank.example/login"}, 2, V::kNotTheBrowser, ""},
        {Browser::kChrome, {P::kUnread, "https://bank.example/login"}, 2, V::kUnread, ""},
        {Browser::kChrome, {P::kPage, "https://bank.example/login"}, 5, V::kNoSuchEntry, ""},
        {Browser::kChrome, {P::kPage, "https://bank.example/login"}, 0, V::kNoSuchEntry, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.page.holder << " entry " << c.entry);
        const PressPlan plan = PlanPress(c.entry, c.browser, c.page, grid);
        EXPECT_EQ(plan.verdict, c.verdict);
        EXPECT_EQ(plan.text, c.text);
    }
}

TEST(PasteText, PutsTheTextOnTheClipboardDuringTheWaitThenPastes) {
    struct Case {
        const char* name;
        int busyPuts, heldPolls;
        Log log;
    };
    const Case cases[] = {
        {"at once", 0, 0, {"wait 240", "put secret", "waited", "paste secret"}},
        {"busy clipboard", 3, 0, Join({{"wait 240"}, Repeat("put secret", 4), {"waited", "paste secret"}})},
        // Ctrl+Alt of the hotkey still down after the delay: the keys wait for their release.
        {"modifiers held", 0, 3, {"wait 240", "put secret", "waited", "wait 1000", "waited", "paste secret"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ports ports;
        ports.busyPuts = c.busyPuts;
        ports.heldPolls = c.heldPolls;
        ClipboardKeeper keeper;
        EXPECT_EQ(PasteText("secret", keeper, ports, ports, ports, {}), PasteOutcome::kPasted);
        EXPECT_EQ(ports.log, c.log);
        EXPECT_TRUE(keeper.Pending());
    }
}

TEST(PasteText, SecondPressWhilePasteWaitsIsRefusedBeforeTheClipboard) {
    // Whether or not the first press has had the clipboard yet.
    for (int busyPuts : {0, 2}) {
        SCOPED_TRACE(busyPuts);
        Ports ports;
        ports.busyPuts = busyPuts;
        ClipboardKeeper keeper;
        std::vector<PasteOutcome> nested;
        ports.duringWait = [&] {
            nested.push_back(PasteText("alice", keeper, ports, ports, ports, {}));
            nested.push_back(TypeKeys("alice", ports, ports, {}));
        };
        EXPECT_EQ(PasteText("secret", keeper, ports, ports, ports, {}), PasteOutcome::kPasted);
        EXPECT_EQ(nested, std::vector<PasteOutcome>(2, PasteOutcome::kPasteWaiting));
        EXPECT_EQ(ports.log, Join({{"wait 240"}, Repeat("put secret", busyPuts + 1), {"waited", "paste secret"}}));
    }
}

TEST(PasteText, StopsBeforeTheKeysWhenAStepFails) {
    struct Case {
        const char* name;
        int busyPuts, heldPolls;
        bool waitWorks, keysPass, aimed;
        PasteOutcome outcome;
        Log log;
        std::string error;
    };
    const Log put = {"wait 240", "put secret", "waited"};
    const Case cases[] = {
        // Pasting now would insert whatever the clipboard held before.
        {"clipboard busy", -1, 0, true, true, true, PasteOutcome::kClipboardBusy,
         Join({{"wait 240"}, Repeat("put secret", 14), {"waited"}}), "untouched"},
        {"wait failed",
         0,
         0,
         false,
         true,
         true,
         PasteOutcome::kWaitFailed,
         {"wait 240"},
         "[clsWaitableTimer.Wait] no timer"},
        {"modifiers never released", 0, -1, true, true, true, PasteOutcome::kModifiersHeld,
         Join({put, {"wait 1000", "waited"}}), "untouched"},
        {"another window in front", 0, 0, true, true, false, PasteOutcome::kFocusMoved, put, "untouched"},
        // Looked at once the modifiers are up: the user may switch windows while holding them.
        {"another window in front after the modifiers", 0, 2, true, true, false, PasteOutcome::kFocusMoved,
         Join({put, {"wait 1000", "waited"}}), "untouched"},
        {"keys blocked", 0, 0, true, false, true, PasteOutcome::kKeysBlocked, Join({put, {"paste secret"}}),
         "untouched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ports ports;
        ports.busyPuts = c.busyPuts;
        ports.heldPolls = c.heldPolls;
        ports.waitWorks = c.waitWorks;
        ports.keysPass = c.keysPass;
        ClipboardKeeper keeper;
        std::string error = "untouched";
        EXPECT_EQ(PasteText(
                      "secret", keeper, ports, ports, ports, [&] { return c.aimed; }, &error),
                  c.outcome);
        EXPECT_EQ(ports.log, c.log);
        EXPECT_EQ(error, c.error);
        // Whatever went wrong, the user's clipboard comes back.
        keeper.TryRestore(ports);
        EXPECT_EQ(ports.clipboard, "before");
    }
}

TEST(TypeKeys, TypesOnlyOnceTheModifiersAreUpAndTheWindowIsStillInFront) {
    struct Case {
        int heldPolls;
        bool aimed;
        PasteOutcome outcome;
        Log log;
    };
    const Case cases[] = {
        {0, true, PasteOutcome::kPasted, {"type p+w"}},
        {2, true, PasteOutcome::kPasted, {"wait 1000", "waited", "type p+w"}},
        {-1, true, PasteOutcome::kModifiersHeld, {"wait 1000", "waited"}},
        {0, false, PasteOutcome::kFocusMoved, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.heldPolls << " " << c.aimed);
        Ports ports;
        ports.heldPolls = c.heldPolls;
        EXPECT_EQ(TypeKeys("p+w", ports, ports, [&] { return c.aimed; }), c.outcome);
        EXPECT_EQ(ports.log, c.log);
        EXPECT_EQ(ports.clipboard, "before");
    }
}

TEST(ClipboardKeeper, GivesBackWhatTheUserHadUnlessTheClipboardChangedSince) {
    struct Case {
        const char* name;
        std::optional<std::string> before;
        int pastes;
        bool changedSince;
        bool renderedByUs;  // the page asked for the text, and we put it there for real
        ClipboardKeeper::Restored restored;
        std::optional<std::string> after;
    };
    using R = ClipboardKeeper::Restored;
    const Case cases[] = {
        {"text", "user text", 1, false, false, R::kRestored, "user text"},
        {"taken by the page", "user text", 1, false, true, R::kRestored, "user text"},
        {"nothing we can restore", std::nullopt, 1, false, false, R::kRestored, std::nullopt},
        // The second paste came before the first was restored: the user's text, not the first
        // password, is what goes back.
        {"two pastes", "user text", 2, false, false, R::kRestored, "user text"},
        {"copied meanwhile", "user text", 1, true, false, R::kLeftAlone, "copied later"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ports ports;
        ports.clipboard = c.before;
        ClipboardKeeper keeper;
        for (int i = 0; i < c.pastes; ++i) ASSERT_TRUE(keeper.Put(ports, "secret" + std::to_string(i)));
        if (c.renderedByUs) {
            ++ports.sequence;
            keeper.OwnChange(ports);
        }
        if (c.changedSince) {
            ports.clipboard = "copied later";
            ++ports.sequence;
        }
        EXPECT_EQ(keeper.TryRestore(ports), c.restored);
        EXPECT_EQ(ports.clipboard, c.after);
        EXPECT_FALSE(keeper.Pending());
        EXPECT_EQ(keeper.TryRestore(ports), R::kNothingPending);
    }
}

}  // namespace
}  // namespace tf
