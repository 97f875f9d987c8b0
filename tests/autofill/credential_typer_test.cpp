#include "autofill/credential_typer.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
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

    // The clipboard's text as the one format it holds.
    static ClipboardContent Content(const std::optional<std::string>& text) {
        return text ? ClipboardContent{{13, *text}} : ClipboardContent{};
    }
    bool PutText(const std::string& text, ClipboardContent* previous) override {
        log.push_back("put " + text);
        if (busyPuts < 0) return false;
        if (busyPuts > 0) {
            --busyPuts;
            return false;
        }
        if (previous) *previous = Content(clipboard);
        clipboard = text;
        ++sequence;
        return true;
    }
    std::uint32_t Sequence() override { return sequence; }
    bool Restore(const ClipboardContent& content) override {
        clipboard = content.empty() ? std::nullopt : std::optional<std::string>(content.front().bytes);
        log.push_back("restore " + clipboard.value_or("(empty)"));
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
            if (t == 0 && duringWait) std::exchange(duringWait, nullptr)();
        }
        waiting = false;
        // "done": ended as soon as the attempt succeeded, before the time was up.
        log.push_back(done && endWhenDone ? "done" : "waited");
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

// The focus in the page the address came from.
FocusFacts InPage() { return {FocusFacts::kAddressBox, true, true}; }

TEST(FocusInPage, OnlyTheMatchedDocumentTakesTheKeys) {
    using F = FocusFacts;
    struct Case {
        const char* name;
        F focus;
        bool inPage;
    };
    const Case cases[] = {
        {"old reader, focus in the page", {F::kAddressBox, true, true, false}, true},
        {"old reader, focus in the address box", {F::kAddressBox, true, true, true}, false},
        {"focus could not be read", {F::kAddressBox, false, true, false}, false},
        {"focus in another window", {F::kAddressBox, true, false, false}, false},
        {"Chromium, the document's page window", {F::kChromiumPage, true, true, false, true}, true},
        // The address bar, a side panel, the other half of a split view.
        {"Chromium, elsewhere in the window", {F::kChromiumPage, true, true, false, false, true}, false},
        {"Firefox, inside the document", {F::kFirefoxPage, true, true, false, false, true}, true},
        {"Firefox, outside the document", {F::kFirefoxPage, true, true, false, true, false}, false},
        {"Firefox, another window", {F::kFirefoxPage, true, false, false, false, true}, false},
        // An advertiser's frame inside the bank's page.
        {"Chromium, a frame of another site", {F::kChromiumPage, true, true, false, true, false, true}, false},
        {"Firefox, a frame of another site", {F::kFirefoxPage, true, true, false, false, true, true}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FocusInPage(c.focus), c.inPage);
    }
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
    const FocusFacts in = InPage();
    const FocusFacts box = {FocusFacts::kAddressBox, true, true, true};
    const Case cases[] = {
        {Browser::kChrome, {P::kPage, "https://bank.example/login", false, in}, 1, V::kType, "saver"},
        {Browser::kChrome, {P::kPage, "https://bank.example/login", false, in}, 2, V::kType, "s1"},
        {Browser::kChrome, {P::kPage, "mail.example", false, in}, 3, V::kType, "other"},
        {Browser::kChrome, {P::kPage, "mail.example", false, in}, 4, V::kType, "o1"},
        {Browser::kIE, {P::kPage, "http://bank.example/login", false, in}, 2, V::kType, "s1"},
        // Only one record matches: the second account is empty, and nothing is typed.
        {Browser::kChrome, {P::kPage, "https://bank.example/login", false, in}, 3, V::kEmptySlot, ""},
        // The browser on another site, a look-alike title does not count: the address decides.
        {Browser::kChrome, {P::kPage, "https://bank.example.evil/login", false, in}, 2, V::kNoRecord, ""},
        // A record in the old form ("http://") is typed into pages of either scheme, as always; one
        // saved from an https address only into https pages.
        {Browser::kIE, {P::kPage, "https://bank.example/login", false, in}, 2, V::kType, "s1"},
        {Browser::kChrome, {P::kPage, "https://secure.example/", true, in}, 2, V::kType, "x1"},
        {Browser::kIE, {P::kPage, "https://secure.example", false, in}, 2, V::kType, "x1"},
        {Browser::kChrome, {P::kPage, "http://secure.example/", true, in}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "secure.example", false, in}, 2, V::kNoRecord, ""},
        {Browser::kIE, {P::kPage, "http://secure.example/", false, in}, 2, V::kNoRecord, ""},
        {Browser::kFirefox, {P::kPage, "http://secure.example/", false, in}, 2, V::kNoRecord, ""},
        // Look-alikes of another site that the decoders and readers used to cut down to this one.
        {Browser::kIE, {P::kPage, "http://bank.example%00@evil.net/login", false, in}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "bank.example%2flogin", false, in}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "https://xn--secure-.example/", true, in}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "https://secure.example@evil.net/", true, in}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kPage, "", false, in}, 2, V::kNoRecord, ""},
        {Browser::kFirefox, {P::kPage, std::string(kFirefox) + kBrowserNotOpen, false, in}, 2, V::kNoRecord, ""},
        {Browser::kChrome, {P::kOtherWindow, "https://bank.example/login", false, in}, 2, V::kNotTheBrowser, ""},
        {Browser::kChrome, {P::kUnread, "https://bank.example/login", false, in}, 2, V::kUnread, ""},
        // The focus in the address bar: the password would go into it.
        {Browser::kChrome, {P::kPage, "https://bank.example/login", false, box}, 2, V::kFocusElsewhere, ""},
        {Browser::kChrome, {P::kPage, "https://bank.example/login", false, in}, 5, V::kNoSuchEntry, ""},
        {Browser::kChrome, {P::kPage, "https://bank.example/login", false, in}, 0, V::kNoSuchEntry, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.page.holder << " entry " << c.entry);
        const PressPlan plan = PlanPress(c.entry, c.browser, c.page, grid);
        EXPECT_EQ(plan.verdict, c.verdict);
        EXPECT_EQ(plan.text, c.text);
    }
}

TEST(CompareReads, SendsOnlyWhenTheSecondReadPlansTheSamePress) {
    using V = PressVerdict;
    const PressPlan press{V::kType, "s1", "http://bank.example/login", 7};
    struct Case {
        const char* name;
        PressPlan now;
        PasteOutcome outcome;
    };
    const Case cases[] = {
        {"unchanged", press, PasteOutcome::kPasted},
        {"another site", {V::kNoRecord}, PasteOutcome::kPageMoved},
        // A page that opens the same kind of site in a new tab gets nothing of the old one.
        {"another record", {V::kType, "s1", "http://bank.example.evil/", 7}, PasteOutcome::kPageMoved},
        {"the record changed", {V::kType, "s2", "http://bank.example/login", 7}, PasteOutcome::kPageMoved},
        {"not read in time", {V::kUnread}, PasteOutcome::kPageMoved},
        {"another window of the browser", {V::kType, "s1", "http://bank.example/login", 8}, PasteOutcome::kFocusMoved},
        {"another program in front", {V::kNotTheBrowser}, PasteOutcome::kFocusMoved},
        {"focus in the address bar", {V::kFocusElsewhere}, PasteOutcome::kFocusMoved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompareReads(press, c.now), c.outcome);
    }
}

TEST(PasteText, PutsTheTextOnTheClipboardDuringTheWaitThenPastes) {
    struct Case {
        const char* name;
        int busyPuts, heldPolls;
        Log log;
    };
    const Case cases[] = {
        {"at once", 0, 0, {"wait 60", "put secret", "waited", "wait 180", "done", "paste secret"}},
        {"busy clipboard", 3, 0,
         Join({{"wait 60"}, Repeat("put secret", 4), {"waited", "wait 180", "done", "paste secret"}})},
        // Ctrl+Alt of the hotkey up during the delay: pasted then, without waiting out the delay.
        {"modifiers let go", 0, 3, {"wait 60", "put secret", "waited", "wait 180", "done", "paste secret"}},
        // Still down after the delay: the keys wait for their release.
        {"modifiers held",
         0,
         20,
         {"wait 60", "put secret", "waited", "wait 180", "waited", "wait 1000", "done", "paste secret"}},
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
        EXPECT_EQ(
            ports.log,
            Join({{"wait 60"}, Repeat("put secret", busyPuts + 1), {"waited", "wait 180", "done", "paste secret"}}));
    }
}

TEST(PasteText, StopsBeforeTheKeysWhenAStepFails) {
    struct Case {
        const char* name;
        int busyPuts, heldPolls;
        bool waitWorks, keysPass;
        PasteOutcome secondRead, outcome;
        Log log;
        std::string error;
    };
    const Log put = {"wait 60", "put secret", "waited", "wait 180", "done"};
    const Case cases[] = {
        // Pasting now would insert whatever the clipboard held before.
        {"clipboard busy", -1, 0, true, true, PasteOutcome::kPasted, PasteOutcome::kClipboardBusy,
         Join({{"wait 60"}, Repeat("put secret", 5), {"waited", "wait 180"}, Repeat("put secret", 11), {"waited"}}),
         "untouched"},
        {"wait failed",
         0,
         0,
         false,
         true,
         PasteOutcome::kPasted,
         PasteOutcome::kWaitFailed,
         {"wait 60"},
         "[clsWaitableTimer.Wait] no timer"},
        {"modifiers never released", 0, -1, true, true, PasteOutcome::kPasted, PasteOutcome::kModifiersHeld,
         Log{"wait 60", "put secret", "waited", "wait 180", "waited", "wait 1000", "waited"}, "untouched"},
        {"focus moved", 0, 0, true, true, PasteOutcome::kFocusMoved, PasteOutcome::kFocusMoved, put, "untouched"},
        // Looked at once the modifiers are up: the user may switch windows while holding them.
        {"another window in front after the modifiers", 0, 15, true, true, PasteOutcome::kFocusMoved,
         PasteOutcome::kFocusMoved, Log{"wait 60", "put secret", "waited", "wait 180", "waited", "wait 1000", "done"},
         "untouched"},
        {"page moved on", 0, 0, true, true, PasteOutcome::kPageMoved, PasteOutcome::kPageMoved, put, "untouched"},
        {"keys blocked", 0, 0, true, false, PasteOutcome::kPasted, PasteOutcome::kKeysBlocked,
         Join({put, {"paste secret"}}), "untouched"},
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
                      "secret", keeper, ports, ports, ports, [&] { return c.secondRead; }, &error),
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
        PasteOutcome secondRead, outcome;
        Log log;
    };
    const Case cases[] = {
        {0, PasteOutcome::kPasted, PasteOutcome::kPasted, {"type p+w"}},
        {2, PasteOutcome::kPasted, PasteOutcome::kPasted, {"wait 1000", "done", "type p+w"}},
        {-1, PasteOutcome::kPasted, PasteOutcome::kModifiersHeld, {"wait 1000", "waited"}},
        {0, PasteOutcome::kFocusMoved, PasteOutcome::kFocusMoved, {}},
        {0, PasteOutcome::kPageMoved, PasteOutcome::kPageMoved, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.heldPolls << " " << static_cast<int>(c.secondRead));
        Ports ports;
        ports.heldPolls = c.heldPolls;
        EXPECT_EQ(TypeKeys("p+w", ports, ports, [&] { return c.secondRead; }), c.outcome);
        EXPECT_EQ(ports.log, c.log);
        EXPECT_EQ(ports.clipboard, "before");
    }
}

TEST(ClipboardKeeper, GivesBackWhatTheUserHadUnlessTheClipboardChangedSince) {
    struct Case {
        const char* name;
        std::optional<std::string> before;
        int pastes;
        int copiedAfter;    // the user copies something after that many pastes; 0: never
        bool renderedByUs;  // the page asked for the text, and we put it there for real
        ClipboardKeeper::Restored restored;
        std::optional<std::string> after;
    };
    using R = ClipboardKeeper::Restored;
    const Case cases[] = {
        {"text", "user text", 1, 0, false, R::kRestored, "user text"},
        {"taken by the page", "user text", 1, 0, true, R::kRestored, "user text"},
        {"nothing we can restore", std::nullopt, 1, 0, false, R::kRestored, std::nullopt},
        // The second paste came before the first was restored: the user's text, not the first
        // password, is what goes back.
        {"two pastes", "user text", 2, 0, false, R::kRestored, "user text"},
        // What the user copied between the two pastes is what goes back.
        {"copied between two pastes", "user text", 2, 1, false, R::kRestored, "copied later"},
        {"copied meanwhile", "user text", 1, 1, false, R::kLeftAlone, "copied later"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ports ports;
        ports.clipboard = c.before;
        ClipboardKeeper keeper;
        for (int i = 1; i <= c.pastes; ++i) {
            ASSERT_TRUE(keeper.Put(ports, "secret" + std::to_string(i)));
            if (i == c.copiedAfter) {
                ports.clipboard = "copied later";
                ++ports.sequence;
            }
        }
        if (c.renderedByUs) {
            ++ports.sequence;
            keeper.OwnChange(ports);
        }
        EXPECT_EQ(keeper.TryRestore(ports), c.restored);
        EXPECT_EQ(ports.clipboard, c.after);
        EXPECT_FALSE(keeper.Pending());
        EXPECT_EQ(keeper.TryRestore(ports), R::kNothingPending);
    }
}

}  // namespace
}  // namespace tf
