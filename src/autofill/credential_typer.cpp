#include "autofill/credential_typer.h"

namespace tf {

const std::string* SlotForEntry(int hotKeyIndex, const CredentialSlots& slots) {
    switch (hotKeyIndex) {
        case 1:
            return &slots.Text1;
        case 2:
            return &slots.Text2;
        case 3:
            return &slots.Text3;
        case 4:
            return &slots.Text4;
        default:
            return nullptr;
    }
}

bool ClipboardKeeper::Put(ClipboardPort& port, const std::string& text) {
    const bool stillOurs = pending_ && port.Sequence() == ours_;
    ClipboardContent previous;
    if (!port.PutText(text, stillOurs ? nullptr : &previous)) return false;
    if (!stillOurs) saved_ = std::move(previous);
    pending_ = true;
    ours_ = port.Sequence();
    return true;
}

void ClipboardKeeper::OwnChange(ClipboardPort& port) {
    if (pending_) ours_ = port.Sequence();
}

ClipboardKeeper::Restored ClipboardKeeper::TryRestore(ClipboardPort& port) {
    if (!pending_) return Restored::kNothingPending;
    if (port.Sequence() != ours_) {
        // Someone copied something since: that is what the user wants there now.
        pending_ = false;
        saved_.clear();
        return Restored::kLeftAlone;
    }
    if (!port.Restore(saved_)) return Restored::kBusy;
    pending_ = false;
    saved_.clear();
    return Restored::kRestored;
}

bool FocusInPage(const FocusFacts& focus) {
    if (!focus.known || !focus.inWindow || focus.inOtherSiteFrame) return false;
    switch (focus.source) {
        case FocusFacts::kAddressBox:
            return !focus.inAddressBox;
        case FocusFacts::kChromiumPage:
            return focus.inDocumentWindow;
        case FocusFacts::kFirefoxPage:
            return focus.inDocument;
    }
    return false;
}

PressPlan PlanPress(int entry, Browser browser, const ForegroundPage& page, const RecordGrid& grid) {
    if (entry < 1 || entry > 4) return {PressVerdict::kNoSuchEntry};
    if (page.kind == ForegroundPage::kOtherWindow) return {PressVerdict::kNotTheBrowser};
    if (page.kind == ForegroundPage::kUnread) return {PressVerdict::kUnread};
    const PageMatch match = MatchPage(browser, page.holder, grid, page.fromPage);
    if (match.slots.Text10.empty()) return {PressVerdict::kNoRecord};
    if (!FocusInPage(page.focus)) return {PressVerdict::kFocusElsewhere};
    const std::string& text = *SlotForEntry(entry, match.slots);
    // A second account asked for where only one record matched: nothing to type.
    if (text.empty()) return {PressVerdict::kEmptySlot};
    return {PressVerdict::kType, text, match.slots.Text10, page.window};
}

PasteOutcome CompareReads(const PressPlan& atPress, const PressPlan& now) {
    switch (now.verdict) {
        case PressVerdict::kType:
            break;
        case PressVerdict::kNotTheBrowser:
        case PressVerdict::kFocusElsewhere:
            return PasteOutcome::kFocusMoved;
        default:
            return PasteOutcome::kPageMoved;
    }
    if (now.window != atPress.window) return PasteOutcome::kFocusMoved;
    if (now.login != atPress.login || now.text != atPress.text) return PasteOutcome::kPageMoved;
    return PasteOutcome::kPasted;
}

std::string NothingTypedText(const PressResult& result) {
    const char* why = nullptr;
    switch (result.verdict) {
        case PressVerdict::kNoSuchEntry:
            return {};
        case PressVerdict::kNotTheBrowser:
            why = "the browser is not in front";
            break;
        case PressVerdict::kUnread:
            why = "the page could not be read";
            break;
        case PressVerdict::kNoRecord:
            why = "no login for this page";
            break;
        case PressVerdict::kEmptySlot:
            why = "no second login for this page";
            break;
        case PressVerdict::kFocusElsewhere:
            why = "focus is not in the page";
            break;
        case PressVerdict::kType:
            switch (result.outcome) {
                case PasteOutcome::kPasted:
                case PasteOutcome::kPasteWaiting:
                    return {};
                case PasteOutcome::kClipboardBusy:
                    why = "clipboard busy";
                    break;
                case PasteOutcome::kWaitFailed:
                    why = "could not wait for the keys";
                    break;
                case PasteOutcome::kModifiersHeld:
                    why = "keys still held down";
                    break;
                case PasteOutcome::kFocusMoved:
                    why = "focus is not in the page";
                    break;
                case PasteOutcome::kPageMoved:
                    why = "the page moved on";
                    break;
                case PasteOutcome::kKeysBlocked:
                    why = "keys were blocked";
                    break;
            }
            break;
    }
    return why ? std::string("nothing typed: ") + why : std::string();
}

namespace {

// Waits until the user has let go of the modifiers; false when they stay down past the limit.
bool WaitForRelease(WaitPort& waiter, KeyPort& keys, std::string& error, bool& waited) {
    waited = true;
    if (!keys.ModifiersHeld()) return true;
    bool released = false;
    waited = waiter.WaitTrying(
        kModifierReleaseMs, kClipboardRetryMs, [&] { return released = !keys.ModifiersHeld(); }, error, true);
    return released;
}

// The checks before any key goes out, in the order the user would notice them.
PasteOutcome BeforeKeys(WaitPort& waiter, KeyPort& keys, const std::function<PasteOutcome()>& stillAimed,
                        std::string& reason) {
    bool waited = true;
    const bool released = WaitForRelease(waiter, keys, reason, waited);
    if (!waited) return PasteOutcome::kWaitFailed;
    if (!released) return PasteOutcome::kModifiersHeld;
    return stillAimed ? stillAimed() : PasteOutcome::kPasted;
}

}  // namespace

PasteOutcome PasteText(const std::string& text, ClipboardKeeper& keeper, ClipboardPort& clipboard, WaitPort& waiter,
                       KeyPort& keys, const std::function<PasteOutcome()>& stillAimed, std::string* error) {
    if (waiter.Waiting()) return PasteOutcome::kPasteWaiting;
    bool onClipboard = false;
    std::string reason;
    auto fail = [&](PasteOutcome outcome) {
        if (error && !reason.empty()) *error = std::move(reason);
        return outcome;
    };
    // The delay lets the hotkey's own modifiers come up before Ctrl+V. Its first part always
    // passes, for key states that lag a moment behind the keys; it then ends as soon as the text is
    // on the clipboard and they are up.
    auto put = [&] { return onClipboard = onClipboard || keeper.Put(clipboard, text); };
    auto onClipboardAndUp = [&] { return put() && !keys.ModifiersHeld(); };
    if (!waiter.WaitTrying(kPasteMinimumMs, kClipboardRetryMs, put, reason) ||
        !waiter.WaitTrying(kPasteDelayMs - kPasteMinimumMs, kClipboardRetryMs, onClipboardAndUp, reason, true))
        return fail(PasteOutcome::kWaitFailed);
    // Pasting now would insert whatever the clipboard held before.
    if (!onClipboard) return fail(PasteOutcome::kClipboardBusy);
    const PasteOutcome ready = BeforeKeys(waiter, keys, stillAimed, reason);
    if (ready != PasteOutcome::kPasted) return fail(ready);
    return keys.SendPaste() ? PasteOutcome::kPasted : PasteOutcome::kKeysBlocked;
}

PasteOutcome TypeKeys(const std::string& text, WaitPort& waiter, KeyPort& keys,
                      const std::function<PasteOutcome()>& stillAimed, std::string* error) {
    if (waiter.Waiting()) return PasteOutcome::kPasteWaiting;
    std::string reason;
    const PasteOutcome ready = BeforeKeys(waiter, keys, stillAimed, reason);
    if (ready != PasteOutcome::kPasted) {
        if (error && !reason.empty()) *error = std::move(reason);
        return ready;
    }
    return keys.TypeText(text) ? PasteOutcome::kPasted : PasteOutcome::kKeysBlocked;
}

}  // namespace tf
