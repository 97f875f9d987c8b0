#include "autofill/credential_keys_win.h"

namespace tf {

namespace {

// A restore goes on trying for as long as other programs keep the clipboard open, less often
// after this long.
constexpr ULONGLONG kRestoreSlowAfterMs = 5000;
constexpr UINT kRestoreSlowRetryMs = 250;
// How long the end of the program tries to give the clipboard back.
constexpr int kFlushTries = 50;
// How long a new paste waits at most for the page to take the last one.
constexpr int kTakeWaitMs = 500;

void Wipe(std::string& text) {
    if (!text.empty()) SecureZeroMemory(text.data(), text.size());
    text.clear();
}

}  // namespace

CredentialKeys::CredentialKeys(Win32BrowserWindows& windows, AddressReader& reader)
    : windows_(windows), reader_(reader) {
    clipboard_.SetTakenHandler([this] {
        // Our own render changed the clipboard; what is there is still ours.
        keeper_.OwnChange(clipboard_);
        if (!pasteSent_) return;
        taken_ = true;
        // The page has its copy once it closes the clipboard again; the restore tries from now on.
        restoreAt_ = GetTickCount64();
    });
}

CredentialKeys::~CredentialKeys() { Flush(); }

ForegroundPage CredentialKeys::ReadForeground(Browser browser, HWND& front) {
    front = GetForegroundWindow();
    const std::string name = ReaderName(browser);
    ForegroundPage page;
    page.kind = ForegroundPage::kOtherWindow;
    if (!windows_.IsBrowserWindow(name, front)) return page;
    const HWND outer = windows_.SetScope(front);
    std::string holder;
    ReadOutcome outcome = ReadOutcome::kPending;
    const ULONGLONG until = GetTickCount64() + kPressReadMs;
    do {
        reader_.AskPageNow();
        outcome = reader_.ReadBrowserAddress(holder, name);
    } while (outcome == ReadOutcome::kPending && reader_.PageWalking() && GetTickCount64() < until);
    page.kind = ForegroundPage::kUnread;
    if (outcome != ReadOutcome::kPending) {
        const FocusFacts::Source source = !reader_.FromPage()            ? FocusFacts::kAddressBox
                                          : browser == Browser::kFirefox ? FocusFacts::kFirefoxPage
                                                                         : FocusFacts::kChromiumPage;
        page = {ForegroundPage::kPage, std::move(holder), reader_.FromPage(), windows_.FocusAt(front, source),
                reinterpret_cast<std::uintptr_t>(front)};
    }
    windows_.SetScope(outer);
    return page;
}

void CredentialKeys::WaitForTake() {
    if (!pasteSent_ || taken_ || GetTickCount64() >= restoreAt_) return;
    std::string ignored;
    wait_.WaitTrying(
        kTakeWaitMs, kClipboardRetryMs, [this] { return taken_; }, ignored, true);
}

PressResult CredentialKeys::Press(int entry, bool paste, std::optional<Browser> watched, const RecordGrid& grid) {
    if (!watched) return {PressVerdict::kNotTheBrowser};
    // A press while another one waits changes nothing; reading the page now could nest in its read.
    if (wait_.Waiting()) return {PressVerdict::kType, PasteOutcome::kPasteWaiting};
    HWND front = nullptr;
    PressPlan plan = PlanPress(entry, *watched, ReadForeground(*watched, front), grid);
    if (plan.verdict != PressVerdict::kType) return {plan.verdict};
    // After the waits the window in front is read again: the keys go out only while it still shows
    // the same record's page with the focus inside it.
    auto aimed = [&] {
        HWND now = nullptr;
        PressPlan again = PlanPress(entry, *watched, ReadForeground(*watched, now), grid);
        const PasteOutcome outcome = CompareReads(plan, again);
        Wipe(again.text);
        return outcome;
    };
    PasteOutcome outcome = PasteOutcome::kPasted;
    if (!paste) {
        outcome = TypeKeys(plan.text, wait_, keys_, aimed);
    } else {
        WaitForTake();
        // The last paste's restore must not run during this one's wait: it would put the user's
        // text back just before this Ctrl+V. The keeper still holds that text for after this paste.
        clipboard_.StopTimer();
        pasteSent_ = false;
        outcome = PasteText(plan.text, keeper_, clipboard_, wait_, keys_, aimed);
        if (keeper_.Pending()) ScheduleRestore(outcome == PasteOutcome::kPasted);
    }
    Wipe(plan.text);
    return {PressVerdict::kType, outcome};
}

void CredentialKeys::ScheduleRestore(bool pasted) {
    const ULONGLONG now = GetTickCount64();
    pasteSent_ = pasted;
    taken_ = false;
    // A paste the page never asks for is taken back after a while; one not sent, at once.
    restoreAt_ = pasted ? now + kRestoreDeadlineMs : now;
    slowRestore_ = false;
    clipboard_.StartTimer(kClipboardRetryMs, [this] { RestoreTick(); });
}

void CredentialKeys::RestoreTick() {
    const ULONGLONG now = GetTickCount64();
    if (now < restoreAt_) return;
    if (keeper_.TryRestore(clipboard_) == ClipboardKeeper::Restored::kBusy) {
        // The page had its time: a text it did not take is handed to nobody from now on, and
        // what it did take leaves the clipboard as soon as the clipboard can be had. Giving up
        // would leave the password there for any later paste.
        clipboard_.Withdraw();
        if (now >= restoreAt_ + kRestoreSlowAfterMs && !slowRestore_) {
            slowRestore_ = true;
            clipboard_.StartTimer(kRestoreSlowRetryMs, [this] { RestoreTick(); });
        }
        return;
    }
    clipboard_.StopTimer();
    pasteSent_ = false;
}

void CredentialKeys::Flush() {
    clipboard_.Withdraw();
    for (int i = 0; i < kFlushTries && keeper_.TryRestore(clipboard_) == ClipboardKeeper::Restored::kBusy; ++i)
        Sleep(kClipboardRetryMs);
    clipboard_.StopTimer();
    pasteSent_ = false;
}

}  // namespace tf
