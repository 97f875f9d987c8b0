// The Windows side of auto-fill: the address readers against fake browsers running as programs of
// their own, and the clipboard, the paste wait and the key strokes against a fake login page.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "autofill/address_reader.h"
#include "autofill/browser_windows_win.h"
#include "autofill/credential_keys_win.h"
#include "autofill/credential_typer.h"
#include "autofill/paste_win.h"
#include "support/fake_apps_win.h"
#include "support/ui_driver_win.h"

// Left out by WIN32_LEAN_AND_MEAN.
#include <dde.h>
#include <shlobj.h>

namespace tf::test {
namespace {

constexpr wchar_t kIEKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";

// The "Version" value of Internet Explorer in HKLM, set for one test and put back afterwards.
class IEVersionValue {
public:
    IEVersionValue() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kIEKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                        nullptr);
        DWORD size = 0;
        if (RegQueryValueExW(key_, L"Version", nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
            old_.resize(size);
            if (RegQueryValueExW(key_, L"Version", nullptr, &oldType_, old_.data(), &size) == ERROR_SUCCESS)
                hadOld_ = true;
        }
    }
    ~IEVersionValue() {
        if (hadOld_)
            RegSetValueExW(key_, L"Version", 0, oldType_, old_.data(), static_cast<DWORD>(old_.size()));
        else
            RegDeleteValueW(key_, L"Version");
        RegCloseKey(key_);
    }
    IEVersionValue(const IEVersionValue&) = delete;
    IEVersionValue& operator=(const IEVersionValue&) = delete;

    void Set(const std::wstring& text) { SetBytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }
    void SetBytes(const void* bytes, std::size_t size, DWORD type = REG_SZ) {
        ASSERT_EQ(RegSetValueExW(key_, L"Version", 0, type, static_cast<const BYTE*>(bytes), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    void Remove() { RegDeleteValueW(key_, L"Version"); }

private:
    HKEY key_ = nullptr;
    bool hadOld_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> old_;
};

TEST(AutofillIEVersion, ReadsTheValueUpToItsFirstNul) {
    IEVersionValue value;
    Win32BrowserWindows windows;

    value.Set(L"7.0.5730.13");
    EXPECT_EQ(windows.ReadIEVersion(), "7.0.5730.13");

    const wchar_t withTail[] = L"9.0\0junk";
    value.SetBytes(withTail, sizeof withTail);
    EXPECT_EQ(windows.ReadIEVersion(), "9.0");

    // Stored without a terminating NUL.
    value.SetBytes(L"10.0", 4 * sizeof(wchar_t));
    EXPECT_EQ(windows.ReadIEVersion(), "10.0");

    DWORD number = 8;
    value.SetBytes(&number, sizeof number, REG_DWORD);
    EXPECT_EQ(windows.ReadIEVersion(), std::nullopt);

    value.Remove();
    EXPECT_EQ(windows.ReadIEVersion(), std::nullopt);

    value.Set(L"8.0.7601.17514");
    AddressReader reader(windows);
    EXPECT_EQ(reader.GetIEVersion(), "8");
    EXPECT_EQ(reader.IEVersionText(), "8.0.7601.17514");
}

const std::wstring kAddress = L"http://intranet/登录?a=1&b=%20x";

TEST(AutofillBrowserWindows, EachIEWalkFindsTheAddressOnlyOnItsOwnPath) {
    const std::string address = Narrow(kAddress);
    struct Case {
        const wchar_t* kind;
        std::optional<std::string> classic, classicThroughBand;
        std::string band, manual;
    } cases[] = {
        {L"ie-classic", address, std::nullopt, "", address},
        {L"ie7-classic", std::nullopt, address, "", ""},
        {L"ie-band", std::nullopt, std::nullopt, address, ""},
    };
    Win32BrowserWindows windows;
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.kind));
        FakeBrowser browser(c.kind, kAddress);
        ASSERT_TRUE(browser.Ready());
        EXPECT_EQ(windows.ReadIEClassic(false), c.classic);
        EXPECT_EQ(windows.ReadIEClassic(true), c.classicThroughBand);
        EXPECT_EQ(windows.ReadIEAddressBand(), c.band);
        EXPECT_EQ(windows.ReadIEManual(), c.manual);
        EXPECT_EQ(windows.ReadChrome(), "");
        EXPECT_EQ(windows.ReadOpera16(), "");
    }
}

TEST(AutofillBrowserWindows, IEAddressFollowsTheVersionAndTheAddressBar) {
    struct Case {
        const wchar_t* kind;
        const wchar_t* version;
    } cases[] = {
        {L"ie-classic", L"6.0.2900.5512"}, {L"ie-classic", L"11.0.9600.18376"}, {L"ie7-classic", L"7.0.5730.13"},
        {L"ie-band", L"8.0.7601.17514"},   {L"ie-band", L"9.11.9600.18376"},
    };
    IEVersionValue value;
    Win32BrowserWindows windows;
    AddressReader reader(windows);
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.kind) + " " + Narrow(c.version));
        value.Set(c.version);
        FakeBrowser browser(c.kind, L"http://first/");
        ASSERT_TRUE(browser.Ready());
        std::string holder = "previous";
        reader.ReadBrowserAddress(holder, kInternetExplorer);
        EXPECT_EQ(holder, "http://first/");
        browser.SetAddress(kAddress);
        reader.ReadBrowserAddress(holder, kInternetExplorer);
        EXPECT_EQ(holder, Narrow(kAddress));
    }
}

TEST(AutofillBrowserWindows, EveryReaderReadsALongAddressWhole) {
    std::wstring longAddress = L"http://intranet/" + std::wstring(300, L'x');
    Win32BrowserWindows windows;
    {
        FakeBrowser browser(L"ie-classic", longAddress);
        ASSERT_TRUE(browser.Ready());
        EXPECT_EQ(windows.ReadIEClassic(false), Narrow(longAddress));
        EXPECT_EQ(windows.ReadIEManual(), Narrow(longAddress));
    }
    for (const wchar_t* kind : {L"ie-band", L"chrome", L"opera"}) {
        SCOPED_TRACE(Narrow(kind));
        FakeBrowser browser(kind, longAddress);
        ASSERT_TRUE(browser.Ready());
        std::string read = windows.ReadIEAddressBand() + windows.ReadChrome() + windows.ReadOpera16();
        EXPECT_EQ(read, Narrow(longAddress));
    }
}

TEST(AutofillBrowserWindows, ChromeAddressIsTheOmniboxText) {
    Win32BrowserWindows windows;
    AddressReader reader(windows);
    FakeBrowser browser(L"chrome", kAddress);
    ASSERT_TRUE(browser.Ready());
    EXPECT_EQ(windows.ReadChrome(), Narrow(kAddress));
    EXPECT_EQ(windows.ReadOpera16(), "");

    browser.SetAddress(L"intranet/login");
    std::string holder = "previous";
    reader.ReadBrowserAddress(holder, kChrome);
    EXPECT_EQ(holder, "intranet/login");

    browser.Close();
    reader.ReadBrowserAddress(holder, kChrome);
    EXPECT_EQ(holder, "");
}

TEST(AutofillBrowserWindows, OperaLooksAtFiveWindowsOfEachClass) {
    Win32BrowserWindows windows;
    {
        FakeBrowser browser(L"opera", kAddress);
        ASSERT_TRUE(browser.Ready());
        // The fake's own promise: the first five windows of the first class hold no text field, the
        // sixth holds one that a reader looking too far would take.
        HWND top = nullptr;
        for (int i = 0; i < 6; ++i) {
            top = FindWindowExW(nullptr, top, L"Chrome_WidgetWin_1", nullptr);
            ASSERT_NE(top, nullptr) << i;
            ASSERT_EQ(FindWindowExW(top, nullptr, L"ViewsTextfieldEdit", nullptr) != nullptr, i == 5) << i;
        }
        EXPECT_EQ(windows.ReadOpera16(), Narrow(kAddress));
        EXPECT_EQ(windows.ReadChrome(), "");
        browser.SetAddress(L"  http://intranet/  ");
        AddressReader reader(windows);
        std::string holder;
        reader.ReadBrowserAddress(holder, kOpera16);
        EXPECT_EQ(holder, "http://intranet/");
    }
    {
        FakeBrowser browser(L"opera-near", kAddress);
        ASSERT_TRUE(browser.Ready());
        EXPECT_EQ(windows.ReadOpera16(), Narrow(kAddress));
    }
}

TEST(AutofillBrowserWindows, NoBrowserRunningReadsNothing) {
    for (const wchar_t* cls : {L"IEFrame", L"Chrome_WidgetWin_1", L"Chrome_WidgetWin_0"})
        ASSERT_EQ(FindWindowW(cls, nullptr), nullptr) << Narrow(cls) << " is left from elsewhere";
    Win32BrowserWindows windows;
    EXPECT_EQ(windows.ReadIEClassic(false), std::nullopt);
    EXPECT_EQ(windows.ReadIEClassic(true), std::nullopt);
    EXPECT_EQ(windows.ReadIEAddressBand(), "");
    EXPECT_EQ(windows.ReadIEManual(), "");
    EXPECT_EQ(windows.ReadChrome(), "");
    EXPECT_EQ(windows.ReadOpera16(), "");
    EXPECT_EQ(windows.DdeRequest(kFirefox, kDdeTopic, kDdeItem).kind, DdeReply::kNoServer);

    IEVersionValue value;
    AddressReader reader(windows);
    std::string holder = "previous";
    value.Set(L"6.0.2900.5512");
    reader.ReadBrowserAddress(holder, kInternetExplorer);
    EXPECT_EQ(holder, "previous");
    value.Set(L"9.11.9600.18376");
    reader.ReadBrowserAddress(holder, kInternetExplorer);
    EXPECT_EQ(holder, "");
    reader.ReadBrowserAddress(holder, kFirefox);
    EXPECT_EQ(holder, std::string(kFirefox) + kBrowserNotOpen);
}

// A window of this test, another program to the reader, that counts the DDE initiates it is sent.
class InitiateCounter {
public:
    InitiateCounter() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_DDE_INITIATE) ++count;
            return DefWindowProcW(w, m, wp, lp);
        };
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TamborvinTestDdeBystander";
        RegisterClassExW(&wc);
        window_ =
            CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
        count = 0;
    }
    ~InitiateCounter() { DestroyWindow(window_); }
    InitiateCounter(const InitiateCounter&) = delete;
    InitiateCounter& operator=(const InitiateCounter&) = delete;
    static inline int count = 0;

private:
    HWND window_ = nullptr;
};

std::string FirefoxReply(const std::wstring& address) { return "\"" + Narrow(address) + "\",\"Fake Firefox\",\"\""; }

TEST(AutofillBrowserWindows, FirefoxAnswersEveryDdeRequestAndNoOtherProgramIsAsked) {
    InitiateCounter bystander;
    Win32BrowserWindows windows;
    // No Firefox window: nothing is asked at all.
    EXPECT_EQ(windows.DdeRequest(kFirefox, kDdeTopic, kDdeItem).kind, DdeReply::kNoServer);

    // Within the ANSI code page, so that the reply's conversion shows.
    const std::wstring address = L"http://café.example/a b";
    FakeBrowser browser(L"firefox", address);
    ASSERT_TRUE(browser.Ready());
    // Request after request, as the watch makes them.
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const DdeReply reply = windows.DdeRequest(kFirefox, kDdeTopic, kDdeItem);
        EXPECT_EQ(reply.kind, DdeReply::kText);
        EXPECT_EQ(reply.text, FirefoxReply(address));
    }
    for (auto [service, topic, item] :
         {std::tuple{kFirefox, "WWW_Other", kDdeItem}, {"opera", kDdeTopic, kDdeItem}, {kFirefox, kDdeTopic, ""}}) {
        SCOPED_TRACE(std::string(service) + "|" + topic + "|" + item);
        EXPECT_EQ(windows.DdeRequest(service, topic, item).kind, DdeReply::kNoServer);
    }
    // The system's DDE library would have asked this window, and waited on it.
    EXPECT_EQ(InitiateCounter::count, 0);

    // The reply is read by its quotes: a comma inside the address is part of it.
    browser.SetAddress(L"http://intranet/login,old");
    AddressReader reader(windows);
    std::string holder;
    reader.ReadBrowserAddress(holder, kFirefox);
    EXPECT_EQ(holder, "http://intranet/login,old");
    browser.SetAddress(L"http://intranet/");
    reader.ReadBrowserAddress(holder, kFirefox);
    EXPECT_EQ(holder, "http://intranet/");
}

TEST(AutofillBrowserWindows, FirefoxThatAnswersOnlyUnicodeTextIsRead) {
    FakeBrowser browser(L"firefox-unicode", kAddress);
    ASSERT_TRUE(browser.Ready());
    Win32BrowserWindows windows;
    EXPECT_EQ(windows.DdeRequest(kFirefox, kDdeTopic, kDdeItem).text, FirefoxReply(kAddress));
}

TEST(AutofillBrowserWindows, FirefoxTooSlowToAnswerKeepsTheLastAddressUntilItAnswers) {
    FakeBrowser browser(L"firefox-slow", L"http://intranet/");
    ASSERT_TRUE(browser.Ready());
    Win32BrowserWindows windows;
    AddressReader reader(windows);
    std::string holder = "http://before/";
    EXPECT_EQ(reader.ReadBrowserAddress(holder, kFirefox), ReadOutcome::kPending);
    EXPECT_EQ(holder, "http://before/");
    EXPECT_TRUE(WaitUntil([&] { return reader.ReadBrowserAddress(holder, kFirefox) == ReadOutcome::kAddress; }, 20s));
    EXPECT_EQ(holder, "http://intranet/");
}

// ---------------------------------------------------------------------------------------------

// The bytes of a registered clipboard format, or empty when it is not on the clipboard.
void PutOnClipboard(UINT format, const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    SetClipboardData(format, memory);
}

// Another thread of this test holding the clipboard open, as a clipboard tool might.
class ClipboardHolder {
public:
    ClipboardHolder() {
        HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, opened] {
            held_ = OpenClipboard(nullptr) != FALSE;
            SetEvent(opened);
            WaitForSingleObject(release_, INFINITE);
            if (held_) CloseClipboard();
        });
        // Letting this thread's messages run: Wine's clipboard manager may be waiting on a window
        // of this thread before it lets the other thread open the clipboard.
        WaitUntil([&] { return WaitForSingleObject(opened, 0) == WAIT_OBJECT_0; });
        CloseHandle(opened);
    }
    ~ClipboardHolder() {
        Release();
        CloseHandle(release_);
    }
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;

    bool Held() const { return held_; }
    void Release() {
        SetEvent(release_);
        if (thread_.joinable()) thread_.join();
    }

private:
    HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool held_ = false;
    std::thread thread_;
};

// Reported, never asserted: timings under Wine on a shared machine say little.
void ReportDelay(const char* key, const char* what, ULONGLONG since) {
    const ULONGLONG ms = GetTickCount64() - since;
    std::printf("%s: %llu ms\n", what, ms);
    ::testing::Test::RecordProperty(key, static_cast<int>(ms));
}

class AutofillPaste : public ::testing::Test {
protected:
    void SetUp() override {
        page_ = std::make_unique<FakeLoginPage>();
        ASSERT_TRUE(page_->Ready());
        account_ = page_->Account();
        password_ = page_->Password();
        clipboard_ = std::make_unique<Win32Clipboard>();
    }
    void TearDown() override {
        clipboard_.reset();
        page_.reset();
    }
    void FocusAccount() {
        FocusControl(account_);
        ASSERT_TRUE(WaitUntil([&] { return HasFocus(account_); }, 5s));
    }
    PasteOutcome Paste(const std::string& text) {
        return PasteText(text, keeper_, *clipboard_, timer_, keys_, nullptr);
    }

    std::unique_ptr<FakeLoginPage> page_;
    HWND account_ = nullptr;
    HWND password_ = nullptr;
    std::unique_ptr<Win32Clipboard> clipboard_;
    ClipboardKeeper keeper_;
    clsWaitableTimer timer_;
    SendInputKeys keys_;
};

TEST_F(AutofillPaste, PastedPasswordStaysOutOfClipboardHistoryAndTheUsersTextComesBack) {
    ASSERT_TRUE(SetClipboardText(L"the user's own 文字"));

    FocusAccount();
    bool taken = false;
    clipboard_->SetTakenHandler([&] { taken = true; });
    std::string error;
    const ULONGLONG pressed = GetTickCount64();
    EXPECT_EQ(PasteText("s3cr3t,中", keeper_, *clipboard_, timer_, keys_, nullptr, &error), PasteOutcome::kPasted)
        << error;
    EXPECT_TRUE(WaitUntil([&] { return WindowText(account_) == L"s3cr3t,中"; }, 5s)) << Narrow(WindowText(account_));
    ReportDelay("paste_delay_ms", "press to text in the field", pressed);
    // The page took the text from us: that is the moment the clipboard can be given back.
    EXPECT_TRUE(taken);
    const std::string zero(4, '\0');
    EXPECT_TRUE(ClipboardBytes(L"ExcludeClipboardContentFromMonitorProcessing").has_value());
    EXPECT_EQ(ClipboardBytes(L"CanIncludeInClipboardHistory"), zero);
    EXPECT_EQ(ClipboardBytes(L"CanUploadToCloudClipboard"), zero);
    EXPECT_EQ(keeper_.TryRestore(*clipboard_), ClipboardKeeper::Restored::kRestored);
    EXPECT_EQ(ClipboardText(), L"the user's own 文字");
    EXPECT_FALSE(ClipboardBytes(L"CanIncludeInClipboardHistory").has_value());
}

TEST_F(AutofillPaste, PutTextReplacesEverythingOnTheClipboardAndRestorePutsAllOfItBack) {
    UINT marker = RegisterClipboardFormatW(L"TamborvinTestMarker");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const wchar_t old[] = L"old";
    PutOnClipboard(CF_UNICODETEXT, old, sizeof old);
    PutOnClipboard(marker, "m", 1);
    const std::string picture = SmallPicture();
    const std::string files = TwoFiles();
    PutOnClipboard(CF_DIB, picture.data(), picture.size());
    PutOnClipboard(CF_HDROP, files.data(), files.size());
    CloseClipboard();

    ClipboardContent previous;
    EXPECT_TRUE(clipboard_->PutText("new 新", &previous));
    EXPECT_EQ(ClipboardText(), L"new 新");
    EXPECT_FALSE(ClipboardBytes(L"TamborvinTestMarker").has_value());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
    // Text, rich data, pictures and files: all of it comes back.
    EXPECT_TRUE(clipboard_->Restore(previous));
    EXPECT_EQ(ClipboardText(), L"old");
    EXPECT_EQ(ClipboardBytes(L"TamborvinTestMarker").value_or("").substr(0, 1), "m");
    EXPECT_TRUE(ClipboardHolds(CF_DIB, picture));
    EXPECT_TRUE(ClipboardHolds(CF_HDROP, files));

    // Something copied since is left alone; what was ours goes back.
    EXPECT_TRUE(keeper_.Put(*clipboard_, "secret"));
    ASSERT_TRUE(SetClipboardText(L"copied later"));
    EXPECT_EQ(keeper_.TryRestore(*clipboard_), ClipboardKeeper::Restored::kLeftAlone);
    EXPECT_EQ(ClipboardText(), L"copied later");

    // Nothing before: the clipboard is left empty rather than holding the password.
    EXPECT_TRUE(clipboard_->Restore({}));
    EXPECT_TRUE(keeper_.Put(*clipboard_, "secret"));
    EXPECT_EQ(keeper_.TryRestore(*clipboard_), ClipboardKeeper::Restored::kRestored);
    EXPECT_EQ(ClipboardText(), std::nullopt);

    // A crash while the password is there takes it off the clipboard.
    EXPECT_TRUE(keeper_.Put(*clipboard_, "secret"));
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    const LPTOP_LEVEL_EXCEPTION_FILTER onCrash = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(onCrash);
    ASSERT_NE(onCrash, nullptr);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = 0xE0000001;  // no code the runtime acts on
    CONTEXT context{};
    EXCEPTION_POINTERS crash{&record, &context};
    onCrash(&crash);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST_F(AutofillPaste, ClipboardHeldElsewherePastesNothing) {
    const std::wstring before = L"before";
    ASSERT_TRUE(clipboard_->Restore(
        {{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(before.c_str()), (before.size() + 1) * 2)}}));
    FocusAccount();
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.Held());
        EXPECT_FALSE(clipboard_->PutText("other"));
        EXPECT_EQ(Paste("s3cr3t"), PasteOutcome::kClipboardBusy);
    }
    EXPECT_EQ(ClipboardText(), L"before");
    EXPECT_FALSE(WaitUntil([&] { return !WindowText(account_).empty(); }, 1s)) << Narrow(WindowText(account_));
}

ClipboardHolder* releaseOnTimer = nullptr;

TEST_F(AutofillPaste, ClipboardReleasedDuringTheWaitIsTakenAndPasted) {
    FocusAccount();
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Held());
    EXPECT_FALSE(clipboard_->PutText("other"));
    releaseOnTimer = &holder;
    // Runs only when the wait lets this thread's messages through between its attempts.
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (releaseOnTimer) releaseOnTimer->Release();
    });
    const ULONGLONG pressed = GetTickCount64();
    EXPECT_EQ(Paste("taken"), PasteOutcome::kPasted);
    KillTimer(nullptr, timer);
    releaseOnTimer = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return WindowText(account_) == L"taken"; }, 5s)) << Narrow(WindowText(account_));
    ReportDelay("busy_paste_delay_ms", "press with a busy clipboard to text in the field", pressed);
}

struct NestedPress {
    std::function<PasteOutcome()> press;
    std::vector<PasteOutcome> outcomes;
} nestedPress;

TEST_F(AutofillPaste, SecondPressDuringTheWaitLeavesTheFirstPaste) {
    FocusAccount();
    nestedPress.press = [this] { return Paste("alice"); };
    // The account hotkey, pressed while the password's paste waits for the hotkey's Ctrl to come up.
    INPUT ctrl{};
    ctrl.type = INPUT_KEYBOARD;
    ctrl.ki.wVk = VK_CONTROL;
    ASSERT_EQ(SendInput(1, &ctrl, sizeof ctrl), 1u);
    UINT_PTR timer = SetTimer(nullptr, 0, 60, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (nestedPress.press) nestedPress.outcomes.push_back(nestedPress.press());
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = VK_CONTROL;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(1, &up, sizeof up);
    });
    EXPECT_EQ(Paste("s3cr3t"), PasteOutcome::kPasted);
    KillTimer(nullptr, timer);
    nestedPress.press = nullptr;
    EXPECT_EQ(nestedPress.outcomes, std::vector<PasteOutcome>{PasteOutcome::kPasteWaiting});
    EXPECT_TRUE(WaitUntil([&] { return WindowText(account_) == L"s3cr3t"; }, 5s)) << Narrow(WindowText(account_));
    // Nothing else arrives later either.
    EXPECT_FALSE(WaitUntil([&] { return WindowText(account_) != L"s3cr3t"; }, 1s)) << Narrow(WindowText(account_));
}

TEST_F(AutofillPaste, KeysTypeTextAndPasteIntoTheFocusedField) {
    FocusAccount();
    EXPECT_FALSE(keys_.ModifiersHeld());
    const std::wstring typed = L"a+^%~{}()中é😀";
    EXPECT_TRUE(keys_.TypeText(Narrow(typed)));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(account_) == typed; }, 5s)) << Narrow(WindowText(account_));
    EXPECT_TRUE(keys_.TypeText(""));

    SendMessageW(account_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    ASSERT_TRUE(clipboard_->PutText("pasted"));
    EXPECT_TRUE(keys_.SendPaste());
    EXPECT_TRUE(WaitUntil([&] { return WindowText(account_) == L"pasted"; }, 5s)) << Narrow(WindowText(account_));
    // Ctrl is not left down after the paste.
    EXPECT_FALSE(keys_.ModifiersHeld());
    EXPECT_TRUE(keys_.TypeText("v"));
    EXPECT_TRUE(WaitUntil([&] { return WindowText(account_) == L"pastedv"; }, 5s)) << Narrow(WindowText(account_));
}

// ---------------------------------------------------------------------------------------------

// A window of this thread that notes the messages it gets, and can start a wait of its own.
class MessageSink {
public:
    MessageSink() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TamborvinTestSink";
        RegisterClassExW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MessageSink() { DestroyWindow(window_); }
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;

    void Post() { PostMessageW(window_, WM_APP, 0, 0); }
    int received = 0;
    // When set, each message starts a wait on this timer and keeps its outcome.
    clsWaitableTimer* nested = nullptr;
    std::optional<bool> nestedResult;
    std::string nestedError;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<MessageSink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_APP && self) {
            ++self->received;
            if (self->nested) self->nestedResult = self->nested->Wait(10, self->nestedError);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

TEST(AutofillWaitableTimer, WaitsWhileMessagesAreHandled) {
    clsWaitableTimer timer;
    MessageSink sink;
    std::string error;
    sink.Post();
    EXPECT_TRUE(timer.Wait(0, error)) << error;
    EXPECT_EQ(sink.received, 1);
    sink.Post();
    // A timer of the same length set just before: the wait may end only once that one has fired.
    HANDLE sameLength = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    ASSERT_NE(sameLength, nullptr);
    LARGE_INTEGER due;
    due.QuadPart = -10000LL * kPasteDelayMs;
    ASSERT_TRUE(SetWaitableTimer(sameLength, &due, 0, nullptr, nullptr, FALSE));
    EXPECT_TRUE(timer.Wait(kPasteDelayMs, error)) << error;
    EXPECT_EQ(WaitForSingleObject(sameLength, 0), WAIT_OBJECT_0) << "the wait ended before its time";
    CloseHandle(sameLength);
    EXPECT_EQ(sink.received, 2);
    EXPECT_FALSE(timer.Waiting());
    EXPECT_TRUE(timer.Wait(-5, error)) << error;
}

TEST(AutofillWaitableTimer, SecondWaitOnTheSameTimerIsRefused) {
    clsWaitableTimer timer;
    MessageSink sink;
    sink.nested = &timer;
    sink.Post();
    std::string error;
    EXPECT_TRUE(timer.Wait(kPasteDelayMs, error)) << error;
    ASSERT_EQ(sink.nestedResult, false);
    EXPECT_EQ(sink.nestedError.rfind("[clsWaitableTimer.Wait]", 0), 0u) << sink.nestedError;

    // The first wait is over, so the timer takes a new one.
    sink.nested = nullptr;
    EXPECT_TRUE(timer.Wait(0, error)) << error;
}

TEST(AutofillWaitableTimer, QuitMessageSurvivesTheWait) {
    clsWaitableTimer timer;
    std::string error;
    PostQuitMessage(7);
    EXPECT_TRUE(timer.Wait(0, error)) << error;
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(AutofillWaitableTimer, AnotherProgramsObjectOfTheOldNameCannotTakeTheWaitOver) {
    // Objects of another kind under the names the timer was once given: "<program name without
    // extension>Timer<minutes><seconds>" for the next seconds.
    std::vector<HANDLE> blockers;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER base{{now.dwLowDateTime, now.dwHighDateTime}};
    for (int second = -1; second <= 5; ++second) {
        ULARGE_INTEGER at = base;
        at.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(second) * 10000000);
        FILETIME utc{at.LowPart, at.HighPart};
        FILETIME local;
        SYSTEMTIME time;
        FileTimeToLocalFileTime(&utc, &local);
        FileTimeToSystemTime(&local, &time);
        wchar_t stamp[8];
        swprintf(stamp, 8, L"%02u%02u", static_cast<unsigned>(time.wMinute), static_cast<unsigned>(time.wSecond));
        std::wstring name = std::wstring(L"autofill_adapters_winTimer") + stamp;
        blockers.push_back(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    }
    clsWaitableTimer timer;
    std::string error;
    EXPECT_TRUE(timer.Wait(kPasteDelayMs, error)) << error;
    EXPECT_FALSE(timer.Waiting());
    for (HANDLE h : blockers) CloseHandle(h);
}

// ---------------------------------------------------------------------------------------------

// Each reader at a press, with the keyboard focus in the page and then in the address bar; the
// second read, made again just before the keys, is timed for the report.
TEST(AutofillForeground, FocusCountsOnlyInsideThePageWhoseAddressWasRead) {
    struct Case {
        const wchar_t* kind;
        Browser browser;
        bool barKnown = true;  // DDE tells nothing of the browser's address bar
    } cases[] = {
        {L"ie-classic", Browser::kIE},         {L"chrome", Browser::kChrome},
        {L"opera-near", Browser::kOpera},      {L"firefox", Browser::kFirefox, false},
        {L"chromium-msaa", Browser::kChrome},  {L"firefox-msaa", Browser::kFirefox},
        {L"chromium-split", Browser::kChrome},
    };
    IEVersionValue version;
    version.Set(L"6.0.2900.5512");
    Win32BrowserWindows windows;
    AddressReader reader(windows);
    CredentialKeys keys(windows, reader);
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.kind));
        FakeBrowser browser(c.kind, L"https://bank.example/login");
        ASSERT_TRUE(browser.Ready());
        ASSERT_TRUE(browser.Focus(browser.Account()));
        HWND front = nullptr;
        // The first read may walk to the page; the second finds what the first kept.
        ForegroundPage page;
        ASSERT_TRUE(WaitUntil(
            [&] { return (page = keys.ReadForeground(c.browser, front)).holder == "https://bank.example/login"; }));
        EXPECT_EQ(page.kind, ForegroundPage::kPage);
        EXPECT_TRUE(FocusInPage(page.focus));
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        page = keys.ReadForeground(c.browser, front);
        QueryPerformanceCounter(&end);
        std::printf(
            "second read, %s: %.2f ms\n", Narrow(c.kind).c_str(),
            1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
        EXPECT_TRUE(FocusInPage(page.focus));

        ASSERT_TRUE(browser.Focus(browser.AddressBar()));
        page = keys.ReadForeground(c.browser, front);
        EXPECT_EQ(FocusInPage(page.focus), !c.barKnown) << page.holder;
        if (std::wstring(c.kind) == L"chromium-split") {
            // The other half, another site: its own address is read, and the focus is in it.
            HWND other = FindChildById(browser.Top(), 103);
            ASSERT_TRUE(browser.Focus(other));
            ASSERT_TRUE(WaitUntil(
                [&] { return (page = keys.ReadForeground(c.browser, front)).holder == "https://news.example/"; }));
            EXPECT_TRUE(FocusInPage(page.focus));
        }
    }
}

}  // namespace
}  // namespace tf::test
