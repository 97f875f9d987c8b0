// Pasting a credential slot into the focused window: the slot goes on the clipboard, a short wait
// lets the user's own key release pass while messages keep flowing, then Ctrl+V.
#pragma once

#include <functional>
#include <string>

#include "records/record_search.h"

namespace tf {

inline constexpr int kPasteDelayMs = 240;
// How often a busy clipboard is tried again during the paste delay.
inline constexpr int kClipboardRetryMs = 20;

class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;
    // Empties the clipboard and puts the text on it, marked to stay out of clipboard history and
    // cloud clipboard. One attempt: false when another program holds the clipboard right now.
    virtual bool PutText(const std::string& text) = 0;
};

class WaitPort {
public:
    virtual ~WaitPort() = default;
    // True while a wait runs; a message handled during it may ask.
    virtual bool Waiting() const = 0;
    // Waits that long while messages keep being processed. Meanwhile `attempt` is called as the
    // wait starts and again every `retryMs` until it returns true, and once more as the time is
    // up if it never did. False, with the reason, when the wait could not be made; it never spins.
    virtual bool WaitTrying(int milliseconds, int retryMs, const std::function<bool()>& attempt,
                            std::string& error) = 0;
};

class KeyPort {
public:
    virtual ~KeyPort() = default;
    // Ctrl+V into the window that has the keyboard focus; false when the input was blocked.
    virtual bool SendPaste() = 0;
    // The text typed as key strokes into the focused window; false when blocked.
    virtual bool TypeText(const std::string& text) = 0;
};

enum class PasteOutcome { kNoSuchEntry, kPasted, kPasteWaiting, kClipboardBusy, kWaitFailed, kKeysBlocked };

// Entries 1-4 select Text1-Text4; any other entry does nothing. The slot goes on the clipboard
// during the paste delay, as soon as the clipboard can be had, and Ctrl+V follows the delay. Nothing
// is pasted when the clipboard stayed busy throughout, so whatever was there before is never pasted
// instead. A press while another one's paste is waiting is refused and leaves the clipboard alone:
// the waiting paste would otherwise insert this press's slot.
PasteOutcome cHK_HotKeyPress(int hotKeyIndex, const CredentialSlots& slots, ClipboardPort& clipboard, WaitPort& waiter,
                             KeyPort& keys, std::string* error = nullptr);

// The slot text for an entry number, or nullptr for entries outside 1-4.
const std::string* SlotForEntry(int hotKeyIndex, const CredentialSlots& slots);

}  // namespace tf
