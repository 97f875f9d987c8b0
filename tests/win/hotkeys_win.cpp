// The real program's hotkeys: the panel's boxes and "a.ini", a combination set by the user and
// pressed in a login page, the function keys, and a combination another program holds.
#include "support/fake_apps_win.h"
#include "support/program_test_win.h"

#include "hotkeys/hotkey_panel_win.h"
#include "records/main_window_win.h"
#include "shell/hint_window_win.h"
#include "vault/vault_file.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <initializer_list>
#include <utility>

namespace tf::test {
namespace {

const wchar_t kHintClass[] = L"TamborvinFormHint";
// Typed by the function keys as themselves, never read as key notation.
const char kSpecialPassword[] = "p+w^d%~{x}(y)中";

// Whether some program holds the key as a hotkey: this test cannot take it then.
bool KeyTaken(UINT key) {
    if (!RegisterHotKey(nullptr, 0x7002, 0, key)) return true;
    UnregisterHotKey(nullptr, 0x7002);
    return false;
}

// Key strokes in order: each key and whether it goes up.
void SendKeys(std::initializer_list<std::pair<WORD, bool>> strokes) {
    for (auto [key, up] : strokes) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
    }
}

// Reported, never asserted: from the press to the text in the field, looked at every millisecond.
void ReportPressToText(const char* what, HWND field, const std::wstring& text, const std::function<void()>& press) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    press();
    const ULONGLONG until = GetTickCount64() + 5000;
    while (WindowText(field) != text && GetTickCount64() < until) Sleep(1);
    QueryPerformanceCounter(&end);
    std::printf("press to text, %s: %.1f ms\n", what,
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
}

std::string IniWith(const std::vector<std::string>& values) {
    std::string text = "[HotKey]\r\n";
    for (std::size_t i = 0; i < values.size(); ++i) text += std::to_string(i) + "=" + values[i] + "\r\n";
    return text + "[url]\r\nurl=\r\n";
}

class HotkeyTest : public ProgramTest {
protected:
    void SetUp() override {
        folder_.Write(
            L"Data.db",
            FormatVault(Numbered({SampleRecord("内网", "http://intranet/login", "staff", "pw1"),
                                  SampleRecord("银行", "http://bank.example/login", "saver", kSpecialPassword),
                                  SampleRecord("别处", "http://elsewhere.example/login", "wanderer", "w-pw")})));
    }
    void TearDown() override {
        other_.reset();
        browser_.reset();
    }

    HWND Box(int i) { return FindChildById(main_, kIdTxtHotKey0 + i); }
    // What the hint window says.
    std::wstring HintText() {
        auto hints = program_->TopWindows(kHintClass);
        return hints.empty() ? L"" : WindowText(FindChildById(hints.front(), kIdHintLabel2));
    }
    ::testing::AssertionResult HintSays(const std::wstring& text) {
        if (WaitUntil([&] { return HintText() == text; }, 2s)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the hint says \"" << Narrow(HintText()) << "\"";
    }
    std::wstring BoxText(int i) { return WindowText(Box(i)); }
    std::string Ini() { return folder_.Read(L"a.ini").value_or(""); }

    // A browser showing the bank's login page, the program matching it, and the account field of
    // the page in front with the focus.
    void OpenBankLoginPage(const std::wstring& browserKind = L"chrome") {
        // The hint of a browser closed before is gone first: it must not pass for this one's match.
        ASSERT_TRUE(WaitUntil([&] {
            auto hints = program_->TopWindows(kHintClass);
            return hints.empty() || !IsWindowVisible(hints.front());
        }));
        browser_ = std::make_unique<FakeBrowser>(browserKind, L"https://bank.example/login");
        ASSERT_TRUE(browser_->Ready());
        // The page the user works in, of a window that shows several, is the one with the focus.
        ASSERT_TRUE(browser_->Focus(browser_->Account()));
        HWND box = Control(browserKind.starts_with(L"firefox") ? L"firefox" : L"chrome");
        SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
        PostCommand(box);
        ASSERT_TRUE(WaitUntil([&] {
            auto hints = program_->TopWindows(kHintClass);
            return !hints.empty() && IsWindowVisible(hints.front());
        })) << "the program did not match the page";
        FocusBrowserAccount();
    }
    // The browser's account field in front, and the program holding the function keys for it.
    void FocusBrowserAccount() {
        ASSERT_TRUE(browser_->Focus(browser_->Account()));
        ASSERT_TRUE(WaitUntil([] { return KeyTaken(VK_F7) && KeyTaken(VK_F10); }));
    }
    // On failure, what the field holds and where the keys went instead.
    ::testing::AssertionResult FieldShows(HWND field, const std::string& text) {
        if (WaitUntil([&] { return WindowText(field) == Widen(text); }, 5s)) return ::testing::AssertionSuccess();
        HWND front = GetForegroundWindow();
        return ::testing::AssertionFailure()
               << "the field holds \"" << Narrow(WindowText(field)) << "\"; in front: " << Narrow(ClassOf(front))
               << " \"" << Narrow(WindowText(front)) << "\"; the field has the focus: " << HasFocus(field)
               << "; the hint says \"" << Narrow(HintText()) << "\"";
    }
    ::testing::AssertionResult AccountFieldShows(const std::string& text) {
        return FieldShows(browser_->Account(), text);
    }
    void ClearAccount() { SendMessageW(browser_->Account(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"")); }
    // Returns once the program has handled what was queued for it before: a selection posted to
    // its search box behind the presses shows when it is through.
    bool ProgramCaughtUp() {
        HWND search = FindChildById(main_, kIdText11);
        static int mark = 0;
        mark = mark % 3 + 1;
        PostMessageW(search, EM_SETSEL, 0, mark);
        return WaitUntil([&] {
            DWORD end = 0;
            SendMessageW(search, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
            return end == static_cast<DWORD>(mark);
        });
    }

    std::unique_ptr<FakeBrowser> browser_;
    // Another program with an edit box: nothing of the vault may reach it.
    std::unique_ptr<FakeLoginPage> other_;
};

TEST_F(HotkeyTest, AFirstStartWritesTheDefaultsAndShowsEveryBoxEmptyAndLocked) {
    ASSERT_FALSE(folder_.Exists(L"a.ini"));
    StartProgram();
    for (int i = 0; i < kHotkeyBoxCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(BoxText(i), L"null");
        EXPECT_FALSE(IsWindowEnabled(Box(i)));
    }
    EXPECT_EQ(SendMessageW(Control(kConfirmSettingCaption), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(FindChildById(main_, kIdCmdSave)));
    ExitProgram();
    EXPECT_EQ(Ini(), IniWith(std::vector<std::string>(6, "46,0,0,0")));
}

TEST_F(HotkeyTest, ACombinationSetInThePasswordBoxPastesThePasswordEvenWithTheAccountBoxEmpty) {
    StartProgram();
    ClickWindow(Control(kSetHotkeyCaption));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Box(1)); }));
    FocusControl(Box(1));
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(Box(1)); }));
    PressChord({VK_CONTROL, VK_MENU}, 'P');
    ASSERT_TRUE(WaitUntil([&] { return BoxText(1) == L"Ctrl + Alt + P"; })) << Narrow(BoxText(1));
    // Typing does not reach a locked box; Delete empties it.
    FocusControl(Box(2));
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(Box(2)); }));
    TypeText(L"x");
    PressKey(VK_DELETE);
    ClickWindow(Control(kConfirmSettingCaption));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(Box(1)); }));
    EXPECT_EQ(BoxText(2), L"null");
    EXPECT_EQ(Ini(), IniWith({"46,0,0,0", "80,-1,-1,0", "46,0,0,0", "46,0,0,0", "46,0,0,0", "46,0,0,0"}));

    ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage());
    PressChord({VK_CONTROL, VK_MENU}, 'P');
    EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
    ExitProgram();
}

TEST_F(HotkeyTest, FunctionKeysTypeTheSlotsLiterallyWhileTheListenerRuns) {
    folder_.Write(L"a.ini", IniWith({"65,-1,-1,0", "46,0,0,0", "46,0,0,0", "46,0,0,0", "46,0,0,0", "46,0,0,0"}));
    StartProgram();
    EXPECT_EQ(BoxText(0), L"Ctrl + Alt + A");
    ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage());
    // Held down: typed once, not again at every auto-repeat.
    PressKey(VK_F8, 3);
    EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
    ASSERT_TRUE(ProgramCaughtUp());
    ReportPressToText("F7", browser_->Account(), Widen(std::string(kSpecialPassword) + "saver"),
                      [] { PressKey(VK_F7); });
    EXPECT_TRUE(AccountFieldShows(std::string(kSpecialPassword) + "saver"));
    // The account hotkey still pastes after the function keys.
    ClearAccount();
    ReportPressToText("paste hotkey", browser_->Account(), L"saver", [] { PressChord({VK_CONTROL, VK_MENU}, 'A'); });
    EXPECT_TRUE(AccountFieldShows("saver"));
    ExitProgram();
}

TEST_F(HotkeyTest, AnotherHotkeyDuringThePasteWaitDoesNotChangeWhatIsPasted) {
    folder_.Write(L"a.ini", IniWith({"65,-1,-1,0", "80,-1,-1,0", "46,0,0,0", "46,0,0,0", "46,0,0,0", "46,0,0,0"}));
    StartProgram();
    ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage());
    // Ctrl and Alt held through both: the password's paste waits for them, and the account press
    // comes meanwhile.
    SendKeys({{VK_CONTROL, false}, {VK_MENU, false}, {'P', false}, {'P', true}, {'A', false}, {'A', true}});
    Sleep(300);
    SendKeys({{VK_MENU, true}, {VK_CONTROL, true}});
    EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
    Sleep(1000);
    EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
    ExitProgram();
}

TEST_F(HotkeyTest, PasswordIsPastedForPagesOfCurrentBrowsersAndAnImageAndFilesComeBack) {
    folder_.Write(L"a.ini", IniWith({"46,0,0,0", "80,-1,-1,0", "46,0,0,0", "46,0,0,0", "46,0,0,0", "46,0,0,0"}));
    StartProgram();
    // An image and a list of files the user copied are back, byte for byte, after each paste.
    const std::string image = SmallPicture(), files = TwoFiles();
    for (const wchar_t* kind : {L"chromium-msaa", L"firefox-msaa"}) {
        SCOPED_TRACE(Narrow(kind));
        ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage(kind));
        ASSERT_TRUE(SetClipboardFormats({{CF_DIB, image}, {CF_HDROP, files}}));
        PressChord({VK_CONTROL, VK_MENU}, 'P');
        EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
        EXPECT_TRUE(WaitUntil([&] { return ClipboardHolds(CF_DIB, image) && ClipboardHolds(CF_HDROP, files); }, 5s));
        browser_.reset();
    }
    ExitProgram();
}

TEST_F(HotkeyTest, CredentialsGoOnlyIntoTheBrowsersPageOfTheirOwnAddress) {
    folder_.Write(L"a.ini", IniWith({"65,-1,-1,0", "80,-1,-1,0", "46,0,0,0", "46,0,0,0", "46,0,0,0", "46,0,0,0"}));
    StartProgram();
    ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage());
    ASSERT_TRUE(SetClipboardText(L"the user's own text"));

    // Another program in front: the function keys are its own again, the hotkey types nothing
    // there, and the clipboard is left as it was.
    other_ = std::make_unique<FakeLoginPage>();
    ASSERT_TRUE(other_->Ready());
    ASSERT_TRUE(other_->Focus(other_->Account()));
    EXPECT_TRUE(WaitUntil([] { return !KeyTaken(VK_F7) && !KeyTaken(VK_F10); }));
    PressKey(VK_F8);
    PressChord({VK_CONTROL, VK_MENU}, 'P');
    ASSERT_TRUE(ProgramCaughtUp());
    ClearAccount();
    ASSERT_NO_FATAL_FAILURE(FocusBrowserAccount());
    PressKey(VK_F7);
    EXPECT_TRUE(AccountFieldShows("saver"));
    EXPECT_EQ(WindowText(other_->Account()), L"");
    EXPECT_EQ(ClipboardText(), L"the user's own text");

    // The browser moved on to another site a moment before the press: that site's login, nothing
    // of the bank's.
    for (auto press : {std::function<void()>([] { PressKey(VK_F8); }), std::function<void()>([] {
                           PressChord({VK_CONTROL, VK_MENU}, 'P');
                       })}) {
        ClearAccount();
        browser_->SetAddress(L"https://elsewhere.example/login");
        press();
        EXPECT_TRUE(AccountFieldShows("w-pw"));
        ASSERT_TRUE(ProgramCaughtUp());
        browser_->SetAddress(L"https://bank.example/login");
        EXPECT_EQ(WindowText(browser_->Account()), L"w-pw");
    }

    // The hotkey's Ctrl and Alt still held down half a second after the press: the page gets the
    // password as it is, not Ctrl+Alt+V, and afterwards the clipboard holds the user's text again.
    ClearAccount();
    HoldChord({VK_CONTROL, VK_MENU}, 'P', 500ms);
    EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
    EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"the user's own text"; }, 5s))
        << Narrow(ClipboardText().value_or(L"(none)"));
    ExitProgram();
}

TEST_F(HotkeyTest, NothingIsTypedUnlessTheFocusIsInTheMatchedPage) {
    folder_.Write(L"a.ini", IniWith({"46,0,0,0", "80,-1,-1,0", "46,0,0,0", "46,0,0,0", "46,0,0,0", "46,0,0,0"}));
    StartProgram();
    ASSERT_TRUE(SetClipboardText(L"the user's own text"));
    // The address bar: the password would go into it, and on to the search engine's suggestions.
    for (const wchar_t* kind : {L"chrome", L"chromium-msaa", L"firefox-msaa"}) {
        SCOPED_TRACE(Narrow(kind));
        ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage(kind));
        const std::wstring address = WindowText(browser_->AddressBar());
        ASSERT_TRUE(browser_->Focus(browser_->AddressBar()));
        PressKey(VK_F8);
        PressChord({VK_CONTROL, VK_MENU}, 'P');
        ASSERT_TRUE(ProgramCaughtUp());
        EXPECT_FALSE(WaitUntil([&] { return WindowText(browser_->AddressBar()) != address; }, 1s))
            << Narrow(WindowText(browser_->AddressBar()));
        EXPECT_EQ(ClipboardText(), L"the user's own text");
        // The user learns why.
        EXPECT_TRUE(HintSays(L"nothing typed: focus is not in the page"));
        browser_.reset();
    }
    // The password field in a frame of another site inside the bank's page: nothing. The page's
    // own field beside it: typed.
    for (const wchar_t* kind : {L"chromium-frame", L"firefox-frame"}) {
        SCOPED_TRACE(Narrow(kind));
        ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage(kind));
        ASSERT_TRUE(browser_->Focus(browser_->Password()));
        PressChord({VK_CONTROL, VK_MENU}, 'P');
        ASSERT_TRUE(ProgramCaughtUp());
        EXPECT_TRUE(HintSays(L"nothing typed: focus is not in the page"));
        EXPECT_EQ(WindowText(browser_->Password()), L"");
        // As a user would: back in the page's own field, once the program has seen the focus there.
        ASSERT_NO_FATAL_FAILURE(FocusBrowserAccount());
        PressChord({VK_CONTROL, VK_MENU}, 'P');
        EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
        browser_.reset();
    }

    // Split view: the smaller half shows the bank, the larger another site.
    ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage(L"chromium-split"));
    PressChord({VK_CONTROL, VK_MENU}, 'P');
    EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
    HWND otherHalf = FindChildById(browser_->Top(), 103);
    ASSERT_TRUE(browser_->Focus(otherHalf));
    PressKey(VK_F8);
    PressChord({VK_CONTROL, VK_MENU}, 'P');
    ASSERT_TRUE(ProgramCaughtUp());
    EXPECT_FALSE(WaitUntil([&] { return !WindowText(otherHalf).empty(); }, 1s)) << Narrow(WindowText(otherHalf));
    EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"the user's own text"; }, 5s));
    browser_.reset();

    // The page moves on to another site after the press, while the paste waits for the hotkey's
    // Ctrl and Alt to come up: the second read sees it, and nothing is pasted.
    ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage());
    const DWORD before = GetClipboardSequenceNumber();
    SendKeys({{VK_CONTROL, false}, {VK_MENU, false}, {'P', false}, {'P', true}});
    // The paste has begun once its text is on the clipboard.
    const bool pressTaken = WaitUntil([&] { return GetClipboardSequenceNumber() != before; }, 5s);
    browser_->SetAddress(L"https://elsewhere.example/login");
    SendKeys({{VK_MENU, true}, {VK_CONTROL, true}});
    ASSERT_TRUE(pressTaken);
    EXPECT_TRUE(HintSays(L"nothing typed: the page moved on"));
    EXPECT_FALSE(WaitUntil([&] { return !WindowText(browser_->Account()).empty(); }, 2s))
        << Narrow(WindowText(browser_->Account()));
    EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"the user's own text"; }, 5s))
        << Narrow(ClipboardText().value_or(L"(none)"));
    ExitProgram();
}

TEST_F(HotkeyTest, APastedPasswordDoesNotStayOnAClipboardAnotherProgramHoldsOpen) {
    folder_.Write(L"a.ini", IniWith({"46,0,0,0", "80,-1,-1,0", "46,0,0,0", "46,0,0,0", "46,0,0,0", "46,0,0,0"}));
    StartProgram();
    ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage());
    ASSERT_TRUE(SetClipboardText(L"the user's own text"));
    // A clipboard tool that opens the clipboard the moment the password is put there, before the
    // page can paste, and keeps it open for six seconds. Past the restore's time it asks for the
    // text: the password is no longer handed to anyone.
    const DWORD before = GetClipboardSequenceNumber();
    std::atomic<bool> held{false}, beforeThePaste{false};
    std::optional<std::wstring> askedLate;
    HWND account = browser_->Account();
    std::thread holder([&] {
        const ULONGLONG until = GetTickCount64() + 5000;
        while (GetClipboardSequenceNumber() == before && GetTickCount64() < until) Sleep(0);
        while (!(held = OpenClipboard(nullptr) != FALSE) && GetTickCount64() < until) Sleep(0);
        if (!held) return;
        beforeThePaste = WindowText(account).empty();
        Sleep(4000);
        askedLate = std::wstring();
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
                askedLate = std::wstring(text, wcsnlen(text, GlobalSize(data) / sizeof(wchar_t)));
                GlobalUnlock(data);
            }
        }
        Sleep(2000);
        CloseClipboard();
    });
    PressChord({VK_CONTROL, VK_MENU}, 'P');
    holder.join();
    ASSERT_TRUE(held && beforeThePaste);
    EXPECT_EQ(askedLate, L"");
    EXPECT_EQ(WindowText(account), L"");
    EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"the user's own text"; }, 5s))
        << Narrow(ClipboardText().value_or(L"(none)"));
    ExitProgram();
}

TEST_F(HotkeyTest, ACombinationAnotherProgramHoldsIsShownEmptyButKeptInTheFile) {
    // This test process holds Ctrl+Alt+Q for as long as the program runs.
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x7001, MOD_CONTROL | MOD_ALT, 'Q'));
    const std::string stored = IniWith({"81,-1,-1,0", "80,-1,-1,0", "46,0,0,0", "46,0,0,0", "80,-1,-1,0", "80,0,0,0"});
    folder_.Write(L"a.ini", stored);
    StartProgram();
    EXPECT_EQ(BoxText(0), L"null");
    EXPECT_EQ(BoxText(1), L"Ctrl + Alt + P");
    // The same combination twice: the second box is refused, the first keeps it.
    EXPECT_EQ(BoxText(4), L"null");
    // A bare key is never taken from every other program.
    EXPECT_EQ(BoxText(5), L"(At least one control key)");
    UnregisterHotKey(nullptr, 0x7001);

    // Box 1 still types the password, though box 0 in front of it was refused.
    ASSERT_NO_FATAL_FAILURE(OpenBankLoginPage());
    PressChord({VK_CONTROL, VK_MENU}, 'P');
    EXPECT_TRUE(AccountFieldShows(kSpecialPassword));
    PressChord({}, 'P');
    EXPECT_TRUE(AccountFieldShows(std::string(kSpecialPassword) + "p"));
    ExitProgram();
    EXPECT_EQ(Ini(), stored);
}

}  // namespace
}  // namespace tf::test
