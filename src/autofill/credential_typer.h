// Typing a credential into the page in front. A press decides from the page the foreground window
// shows at that moment whether anything is typed, and what; the paste then puts the text on the
// clipboard, lets the user's own key release pass while messages keep flowing, sends Ctrl+V, and
// afterwards gives the clipboard back what the user had there.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "autofill/browser_watch.h"
#include "records/record_grid.h"
#include "records/record_search.h"

namespace tf {

inline constexpr int kPasteDelayMs = 240;
// The part of the paste delay that always passes: Wine keeps the state of the keys for up to 50 ms.
inline constexpr int kPasteMinimumMs = 60;
// How often a busy clipboard is tried again during the paste delay.
inline constexpr int kClipboardRetryMs = 20;
// How long the keys wait at most, after the paste delay, for the user to let go of the hotkey's
// Ctrl, Alt, Shift or Windows key: held down, they would turn Ctrl+V into another shortcut.
inline constexpr int kModifierReleaseMs = 1000;
// How long pasted text stays on the clipboard at most when the page never asks for it.
inline constexpr int kRestoreDeadlineMs = 2000;

// One format of what the clipboard held: its number and its data as bytes.
struct ClipboardFormat {
    std::uint32_t id = 0;
    std::string bytes;
    bool operator==(const ClipboardFormat&) const = default;
};
// Everything of the clipboard that could be kept, in the order its owner offered it; empty for an
// empty clipboard.
using ClipboardContent = std::vector<ClipboardFormat>;

class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;
    // Empties the clipboard and puts the text on it, marked to stay out of clipboard history and
    // cloud clipboard. When `previous` is given, what the clipboard held is kept there first.
    // One attempt: false when another program holds the clipboard.
    virtual bool PutText(const std::string& text, ClipboardContent* previous = nullptr) = 0;
    // The system's count of clipboard changes.
    virtual std::uint32_t Sequence() = 0;
    // Puts the content back (an empty clipboard for none). One attempt, as PutText.
    virtual bool Restore(const ClipboardContent& content) = 0;
};

// What the clipboard held before a paste, given back afterwards, but only while the clipboard
// still holds what the paste put there: what the user or another program put there since stays.
class ClipboardKeeper {
public:
    // One attempt to put the text on the clipboard. While an earlier paste's restore is pending and
    // the clipboard still holds that paste's text, what the user had before it is kept instead;
    // something copied since is what the user has there now, and is kept.
    bool Put(ClipboardPort& port, const std::string& text);
    bool Pending() const { return pending_; }
    // The clipboard changed by our own hand (a deferred text rendered): still ours.
    void OwnChange(ClipboardPort& port);

    enum class Restored { kNothingPending, kRestored, kLeftAlone, kBusy };
    // One attempt; kBusy means try again shortly.
    Restored TryRestore(ClipboardPort& port);

private:
    bool pending_ = false;
    ClipboardContent saved_;
    std::uint32_t ours_ = 0;
};

class WaitPort {
public:
    virtual ~WaitPort() = default;
    // True while a wait runs; a message handled during it may ask.
    virtual bool Waiting() const = 0;
    // Waits that long while messages keep being processed. Meanwhile `attempt` is called as the
    // wait starts and again every `retryMs` until it returns true, and once more as the time is
    // up if it never did; with `endWhenDone` the wait ends as soon as it returns true. False, with
    // the reason, when the wait could not be made; it never spins.
    virtual bool WaitTrying(int milliseconds, int retryMs, const std::function<bool()>& attempt, std::string& error,
                            bool endWhenDone = false) = 0;
};

class KeyPort {
public:
    virtual ~KeyPort() = default;
    // Ctrl+V into the window that has the keyboard focus; false when the input was blocked.
    virtual bool SendPaste() = 0;
    // The text typed as key strokes into the focused window; false when blocked.
    virtual bool TypeText(const std::string& text) = 0;
    // Whether the user holds Ctrl, Alt, Shift or a Windows key down right now.
    virtual bool ModifiersHeld() = 0;
};

// Where the keyboard focus was when the window in front was read, as its reader saw it.
struct FocusFacts {
    enum Source {
        kAddressBox,    // the address came from a text box of the browser (the old readers, DDE)
        kChromiumPage,  // from the accessible document of a Chromium page window
        kFirefoxPage,   // from the accessible document of a Firefox page
    };
    Source source = kAddressBox;
    bool known = false;             // the focus could be read at all
    bool inWindow = false;          // it is in the browser window that was read
    bool inAddressBox = false;      // old readers: it is in the address box they read
    bool inDocumentWindow = false;  // Chromium: it is the matched document's own page window, or inside it
    bool inDocument = false;        // Firefox: the focused accessible object lies inside the matched document
    bool inOtherSiteFrame = false;  // pages: it lies in a frame of another site inside that document
};

// Whether keys sent now would land in the document whose address was read: not in the address bar
// (where a password would become a search), a side panel, the other half of a split view or
// another document.
bool FocusInPage(const FocusFacts& focus);

// What the window in front showed when a credential key was pressed.
struct ForegroundPage {
    enum Kind {
        kPage,         // a window of the watched browser; `holder` is its address as its reader left it
        kOtherWindow,  // the window in front is not one of the watched browser
        kUnread,       // the browser's window is in front, but its address could not be had in time
    };
    Kind kind = kUnread;
    std::string holder;
    bool fromPage = false;  // read from a current browser's page (see MatchPage)
    FocusFacts focus;
    std::uintptr_t window = 0;  // the top-level window read
};

enum class PressVerdict { kType, kNoSuchEntry, kNotTheBrowser, kUnread, kNoRecord, kEmptySlot, kFocusElsewhere };
struct PressPlan {
    PressPlan() = default;
    PressPlan(PressVerdict v, std::string t = {}, std::string l = {}, std::uintptr_t w = 0)
        : verdict(v), text(std::move(t)), login(std::move(l)), window(w) {}

    PressVerdict verdict = PressVerdict::kNoSuchEntry;
    std::string text;           // what to type, for kType
    std::string login;          // the matched record's address, for kType
    std::uintptr_t window = 0;  // the window read, for kType
};

// Entries 1-4 select Text1-Text4 of the records that match the address the foreground window shows
// now, provided the keyboard focus is inside that page; anything typed elsewhere, or from an
// address read a second ago, could hand a password to the wrong program or the wrong site.
PressPlan PlanPress(int entry, Browser browser, const ForegroundPage& page, const RecordGrid& grid);

enum class PasteOutcome {
    kPasted,
    kPasteWaiting,   // another press's paste or typing is still waiting
    kClipboardBusy,  // the clipboard stayed busy throughout the delay: nothing pasted
    kWaitFailed,     // the wait could not be made
    kModifiersHeld,  // the user kept the modifiers down past the limit: nothing sent
    kFocusMoved,     // another window came to the front, or the focus left the page, meanwhile: nothing sent
    kPageMoved,      // the page in front no longer matches the record of the press: nothing sent
    kKeysBlocked,    // the system refused the input
};

// The second read, made just before the keys go out after the waits: they go only when it plans
// the same text from the same record in the same window as the press did. kPasted when it does.
PasteOutcome CompareReads(const PressPlan& atPress, const PressPlan& now);

// The text goes on the clipboard during the paste delay, as soon as the clipboard can be had, and
// Ctrl+V follows once it is there and the user has let go of the modifiers, provided
// `stillAimed`, a second read of the window in front, still agrees with the press (kPasted) or
// says why not. A press while another one
// waits is refused before it touches the clipboard: the waiting paste would insert its text.
// Whatever the outcome, a put that succeeded leaves the keeper pending: the caller restores.
PasteOutcome PasteText(const std::string& text, ClipboardKeeper& keeper, ClipboardPort& clipboard, WaitPort& waiter,
                       KeyPort& keys, const std::function<PasteOutcome()>& stillAimed, std::string* error = nullptr);

// The function keys type the text as key strokes, with the same waits and checks, no clipboard.
PasteOutcome TypeKeys(const std::string& text, WaitPort& waiter, KeyPort& keys,
                      const std::function<PasteOutcome()>& stillAimed, std::string* error = nullptr);

// How a press ended: its verdict and, for kType, what became of the keys.
struct PressResult {
    PressVerdict verdict = PressVerdict::kNoSuchEntry;
    PasteOutcome outcome = PasteOutcome::kPasted;
    bool Typed() const { return verdict == PressVerdict::kType && outcome == PasteOutcome::kPasted; }
};

// Why a press typed nothing, in a few words for the hint window; empty when it typed, or when there
// is nothing to tell (an entry no hotkey box selects, another press still under way). Never the
// text itself or the account.
std::string NothingTypedText(const PressResult& result);

// The slot text for an entry number, or nullptr for entries outside 1-4.
const std::string* SlotForEntry(int hotKeyIndex, const CredentialSlots& slots);

}  // namespace tf
