// The credential keys at work: at a press of F7-F10 or of a hotkey of the six boxes, the window in
// front is read with the watched browser's reader, the records are looked up for its address, and
// only a match in that browser's window is typed or pasted. After a paste the clipboard gets back
// what the user had there.
#pragma once

#include <optional>

#include "autofill/address_reader.h"
#include "autofill/browser_watch.h"
#include "autofill/browser_windows_win.h"
#include "autofill/credential_typer.h"
#include "autofill/paste_win.h"
#include "records/record_grid.h"

namespace tf {

// How long the read of the window in front may take at a press: a walk still under way after this
// long counts as unread, and nothing is typed.
inline constexpr DWORD kPressReadMs = 100;

class CredentialKeys {
public:
    CredentialKeys(Win32BrowserWindows& windows, AddressReader& reader);
    ~CredentialKeys();
    CredentialKeys(const CredentialKeys&) = delete;
    CredentialKeys& operator=(const CredentialKeys&) = delete;

    // Entry 1-4 of the credential slots; the function keys type it, the boxes' hotkeys paste it.
    PressResult Press(int entry, bool paste, std::optional<Browser> watched, const RecordGrid& grid);
    // The page the foreground window shows, read now; also the window that was read.
    ForegroundPage ReadForeground(Browser browser, HWND& front);
    // Before the program ends: the user's clipboard back at once.
    void Flush();

private:
    void ScheduleRestore(bool pasted);
    void RestoreTick();
    // A paste sent a moment ago whose text the page has not taken yet gets that moment: the next
    // paste would otherwise replace the text before the page reads it.
    void WaitForTake();

    Win32BrowserWindows& windows_;
    AddressReader& reader_;
    Win32Clipboard clipboard_;
    ClipboardKeeper keeper_;
    clsWaitableTimer wait_;
    SendInputKeys keys_;
    bool pasteSent_ = false;
    bool taken_ = false;
    ULONGLONG restoreAt_ = 0;
    bool slowRestore_ = false;
};

}  // namespace tf
