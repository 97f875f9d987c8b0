// Pasting a credential slot into the focused window: the slot goes on the clipboard, a short wait
// lets the user's own key release pass while messages keep flowing, then Ctrl+V.
#pragma once

#include <string>

#include "records/record_search.h"

namespace tf {

inline constexpr int kPasteDelayMs = 240;

class ClipboardPort {
public:
    virtual ~ClipboardPort() = default;
    // Empties the clipboard and puts the text on it, marked to stay out of clipboard history and
    // cloud clipboard. False when the clipboard could not be had.
    virtual bool PutText(const std::string& text) = 0;
};

class WaitPort {
public:
    virtual ~WaitPort() = default;
    // Waits while messages keep being processed. False, with the reason, when the wait could not
    // be made; it never spins.
    virtual bool Wait(int milliseconds, std::string& error) = 0;
};

class KeyPort {
public:
    virtual ~KeyPort() = default;
    // Ctrl+V into the window that has the keyboard focus; false when the input was blocked.
    virtual bool SendPaste() = 0;
    // The text typed as key strokes into the focused window; false when blocked.
    virtual bool TypeText(const std::string& text) = 0;
};

enum class PasteOutcome { kNoSuchEntry, kPasted, kClipboardBusy, kWaitFailed, kKeysBlocked };

// Entries 1-4 select Text1-Text4; any other entry does nothing. Nothing is pasted when the slot
// could not be put on the clipboard, so whatever was there before is never pasted instead.
PasteOutcome cHK_HotKeyPress(int hotKeyIndex, const CredentialSlots& slots, ClipboardPort& clipboard, WaitPort& waiter,
                             KeyPort& keys, std::string* error = nullptr);

// The slot text for an entry number, or nullptr for entries outside 1-4.
const std::string* SlotForEntry(int hotKeyIndex, const CredentialSlots& slots);

}  // namespace tf
