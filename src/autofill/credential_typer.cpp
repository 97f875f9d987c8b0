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

PasteOutcome cHK_HotKeyPress(int hotKeyIndex, const CredentialSlots& slots, ClipboardPort& clipboard, WaitPort& waiter,
                             KeyPort& keys, std::string* error) {
    const std::string* slot = SlotForEntry(hotKeyIndex, slots);
    if (!slot) return PasteOutcome::kNoSuchEntry;
    if (waiter.Waiting()) return PasteOutcome::kPasteWaiting;
    // A watch tick may run during the wait and rewrite the slots.
    const std::string text = *slot;
    bool onClipboard = false;
    std::string reason;
    const bool waited = waiter.WaitTrying(
        kPasteDelayMs, kClipboardRetryMs, [&] { return onClipboard = clipboard.PutText(text); }, reason);
    if (!waited) {
        if (error) *error = std::move(reason);
        return PasteOutcome::kWaitFailed;
    }
    // Pasting now would insert whatever the clipboard held before.
    if (!onClipboard) return PasteOutcome::kClipboardBusy;
    return keys.SendPaste() ? PasteOutcome::kPasted : PasteOutcome::kKeysBlocked;
}

}  // namespace tf
