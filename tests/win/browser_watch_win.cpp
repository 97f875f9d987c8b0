// The real program watching a browser of our own making: within a second or two of a page
// showing, the hint window names the record whose login address fits, and hides again when
// the page has no record.
#include "support/fake_apps_win.h"
#include "support/program_test_win.h"

#include <algorithm>
#include <cstdio>

#include "autofill/watch_controller_win.h"
#include "vault/vault_file.h"

namespace tf::test {
namespace {

const wchar_t kHintClass[] = L"TamborvinFormHint";
constexpr int kLabel2 = 3002;

class BrowserWatchTest : public ProgramTest {
protected:
    void SetUp() override {
        folder_.Write(L"Data.db",
                      FormatVault(Numbered({SampleRecord("内网", "http://intranet/login", "staff", "pw1"),
                                            SampleRecord("银行", "http://bank.example/login", "saver", "pw2"),
                                            SampleRecord("邮箱", "http://mail.example/", "me", "pw3"),
                                            SampleRecord("例子", "http://例子.中国/登录", "li", "pw4")})));
    }
    void TearDown() override {
        browser_.reset();
        if (!ieVersion_.empty()) SetIEVersion(ieVersion_);
    }

    void StartBrowser(const std::wstring& kind, const std::wstring& address, const std::wstring& program = L"") {
        browser_ = std::make_unique<FakeBrowser>(kind, address, program);
        ASSERT_TRUE(browser_->Ready()) << "the fake browser did not start";
    }
    void ShowAddress(const std::wstring& address) { browser_->SetAddress(address); }

    HWND Hint() {
        auto found = program_->TopWindows(kHintClass);
        return found.empty() ? nullptr : found.front();
    }
    // Waits for the hint window to name this address (empty: to be hidden), and reports how long
    // that took from the call, which follows the change it waits for.
    bool HintShows(const std::wstring& address) {
        const ULONGLONG since = GetTickCount64();
        const bool shown = WaitUntil(
            [&] {
                HWND hint = Hint();
                if (!hint) return false;
                if (address.empty()) return !IsWindowVisible(hint);
                return IsWindowVisible(hint) && WindowText(FindChildById(hint, kLabel2)) == address;
            },
            5s);
        if (shown && address.empty()) std::printf("hint hidden after %llu ms\n", GetTickCount64() - since);
        if (shown && !address.empty())
            std::printf("hint shows %s after %llu ms\n", Narrow(address).c_str(), GetTickCount64() - since);
        return shown;
    }

    // What the row of browser boxes says.
    bool StatusSays(const std::wstring& text) {
        HWND status = FindChildById(main_, kIdWatchStatus);
        return WaitUntil([&] { return WindowText(status) == text; }, 5s) ||
               (std::printf("the status says \"%s\"\n", Narrow(WindowText(status)).c_str()), false);
    }

    void ChooseBrowser(const std::wstring& caption) {
        HWND box = Control(caption);
        SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
        PostCommand(box);
    }

    void SetIEVersion(const std::wstring& version) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (ieVersion_.empty()) {
            wchar_t old[64] = {};
            DWORD size = sizeof old;
            RegQueryValueExW(key, L"Version", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size);
            ieVersion_ = old;
        }
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    std::unique_ptr<FakeBrowser> browser_;
    std::wstring ieVersion_;
};

TEST_F(BrowserWatchTest, InternetExplorerIsWatchedFromTheStart) {
    SetIEVersion(L"9.11.9600.18376");
    StartBrowser(L"ie-band", L"http://intranet/login");
    StartProgram();
    EXPECT_EQ(SendMessageW(Control(L"ie"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(HintShows(L"http://intranet/login"));
    ShowAddress(L"http://nowhere.example/");
    EXPECT_TRUE(HintShows(L""));
    // Percent escapes in the path are decoded (in the host they would be a look-alike's trick).
    ShowAddress(L"http://intranet/%6Cogin");
    EXPECT_TRUE(HintShows(L"http://intranet/login"));
    // A host without a path finds the record stored with "/".
    ShowAddress(L"http://mail.example");
    EXPECT_TRUE(HintShows(L"http://mail.example/"));
    ExitProgram();
}

TEST_F(BrowserWatchTest, OlderInternetExplorerIsReadThroughItsComboBox) {
    SetIEVersion(L"7.0.5730.13");
    StartBrowser(L"ie7-classic", L"http://bank.example/login");
    StartProgram();
    EXPECT_TRUE(HintShows(L"http://bank.example/login"));
    ExitProgram();
}

TEST_F(BrowserWatchTest, ChromeOverHttpsFindsTheRecordTheEditorStored) {
    StartBrowser(L"chrome", L"https://bank.example/login");
    StartProgram();
    ChooseBrowser(L"chrome");
    EXPECT_TRUE(HintShows(L"http://bank.example/login"));
    EXPECT_EQ(SendMessageW(Control(L"ie"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ShowAddress(L"intranet/login");
    EXPECT_TRUE(HintShows(L"http://intranet/login"));
    ExitProgram();
}

TEST_F(BrowserWatchTest, OperaIsFoundBehindItsOtherWindows) {
    StartBrowser(L"opera", L"mail.example");
    StartProgram();
    ChooseBrowser(L"opera");
    EXPECT_TRUE(HintShows(L"http://mail.example/"));
    ExitProgram();
}

TEST_F(BrowserWatchTest, FirefoxThroughDdeAndNoFreezeWhileItIsAway) {
    StartProgram();
    ChooseBrowser(L"firefox");
    // Nothing answers: no match, and the window keeps answering its messages.
    Sleep(1500);
    EXPECT_TRUE(HintShows(L""));
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result), 0);

    StartBrowser(L"firefox", L"http://intranet/login");
    EXPECT_TRUE(HintShows(L"http://intranet/login"));
    ShowAddress(L"http://nowhere.example/");
    EXPECT_TRUE(HintShows(L""));
    ExitProgram();
}

TEST_F(BrowserWatchTest, CurrentChromiumAndFirefoxAreReadThroughTheirPages) {
    StartProgram();
    for (const wchar_t* kind : {L"chromium-msaa", L"firefox-msaa"}) {
        SCOPED_TRACE(Narrow(kind));
        const bool chromium = std::wstring(kind) == L"chromium-msaa";
        StartBrowser(kind, L"https://bank.example/login");
        const ULONGLONG chosen = GetTickCount64();
        ChooseBrowser(chromium ? L"chrome" : L"firefox");
        // Served over https, stored by the editor as http.
        EXPECT_TRUE(HintShows(L"http://bank.example/login"));
        std::printf("%s: hint shown %llu ms after the box was ticked\n", Narrow(kind).c_str(),
                    GetTickCount64() - chosen);
        ShowAddress(L"https://nowhere.example/login");
        EXPECT_TRUE(HintShows(L""));
        ShowAddress(L"https://intranet/login");
        EXPECT_TRUE(HintShows(L"http://intranet/login"));
        // The document found is kept: no more requests over a few ticks. (How many it took to
        // find it depends on how busy the machine is: a slow answer is asked again.)
        const std::wstring asked = browser_->Title();
        Sleep(2500);
        EXPECT_EQ(browser_->Title(), asked);
        browser_.reset();
        EXPECT_TRUE(HintShows(L""));
    }
    ExitProgram();
}

TEST_F(BrowserWatchTest, CurrentBrowsersAsTheyReallyAreAreReadAndSayWhyNot) {
    // Escaped in UTF-8, the host in its ASCII form, as current browsers give it.
    const std::wstring china = L"https://xn--fsqu00a.xn--fiqs8s/%E7%99%BB%E5%BD%95";
    struct Case {
        const wchar_t* kind;
        const wchar_t* program;
        const wchar_t* box;
        const wchar_t* hint;  // empty: hidden
        const wchar_t* status;
    };
    const Case cases[] = {
        {L"chromium-devtools", L"chrome", L"chrome", L"http://例子.中国/登录", L"Chrome: 例子.中国"},
        {L"chromium-msaa", L"msedge", L"chrome", L"http://例子.中国/登录", L"Edge: 例子.中国"},
        {L"chromium-msaa", L"opera", L"opera", L"http://例子.中国/登录", L"Opera: 例子.中国"},
        {L"firefox-deep", L"firefox", L"firefox", L"http://例子.中国/登录", L"Firefox: 例子.中国"},
        // A chat program on Chromium's windows is no browser.
        {L"chromium-msaa", L"electron_app", L"chrome", L"", L"no Chrome window"},
        {L"firefox-noa11y", L"firefox", L"firefox", L"", L"accessibility is off in Firefox"},
    };
    StartProgram();
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(std::wstring(c.kind) + L" as " + c.program));
        StartBrowser(c.kind, china, c.program);
        const ULONGLONG chosen = GetTickCount64();
        ChooseBrowser(c.box);
        EXPECT_TRUE(HintShows(c.hint));
        if (*c.hint) std::printf("hint shown %llu ms after the box was ticked\n", GetTickCount64() - chosen);
        EXPECT_TRUE(StatusSays(c.status));
        browser_.reset();
        EXPECT_TRUE(HintShows(L""));
    }
    // The chat program in front of the browser is passed by.
    FakeBrowser chrome(L"chromium-msaa", L"https://bank.example/login", L"chrome");
    ASSERT_TRUE(chrome.Ready());
    StartBrowser(L"chromium-msaa", L"https://bank.example/chat", L"electron_app");
    ChooseBrowser(L"chrome");
    EXPECT_TRUE(HintShows(L"http://bank.example/login"));
    EXPECT_TRUE(StatusSays(L"Chrome: bank.example"));
    ExitProgram();
}

TEST_F(BrowserWatchTest, ChromiumThatNeverAnswersLeavesTheProgramResponsive) {
    StartBrowser(L"chromium-msaa-silent", L"https://bank.example/login");
    StartProgram();
    ChooseBrowser(L"chrome");
    // Round trips to the main window across several ticks; the worst is reported, not asserted.
    double worst = 0;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < 40; ++i) {
        LARGE_INTEGER start, end;
        DWORD_PTR result = 0;
        QueryPerformanceCounter(&start);
        ASSERT_NE(SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result), 0) << i;
        QueryPerformanceCounter(&end);
        worst = std::max(worst, 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                    static_cast<double>(frequency.QuadPart));
        Sleep(75);
    }
    std::printf("worst round trip to the main window while watching a silent browser: %.2f ms\n", worst);
    EXPECT_TRUE(HintShows(L""));
    EXPECT_EQ(browser_->Title(), L"requests 1");
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
