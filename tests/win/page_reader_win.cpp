// The pages of current browsers, read through their accessible documents: fake Chromium and
// Firefox programs of our own that answer only that way. What a read costs is measured by
// bench/page_read_bench_win.cpp; the browser that never answers is watched by the program's own test.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "autofill/accessible_page_win.h"
#include "autofill/address_reader.h"
#include "autofill/browser_windows_win.h"
#include "base/message_pump_win.h"
#include "base/owned_win.h"
#include "support/fake_apps_win.h"
#include "support/ui_driver_win.h"

namespace tf::test {
namespace {

const std::wstring kBank = L"https://bank.example/login?from=登录";

// A page window on a thread of its own whose first WM_GETOBJECT waits until CatchUp: a browser that
// is busy for a while.
class BusyPageWindow {
public:
    BusyPageWindow() : thread_([this] { Run(); }) {
        WaitUntil([this] { return window_.load() != nullptr; });
    }
    ~BusyPageWindow() {
        CatchUp();
        PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND Handle() const { return window_; }
    // Lets the window go on, and returns once it has handled what was sent to it before.
    void CatchUp() {
        SetEvent(go_.Get());
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<BusyPageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (msg == WM_GETOBJECT && self) {
            WaitForSingleObject(self->go_.Get(), 10000);
            return 0;
        }
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(window, msg, wParam, lParam);
    }
    void Run() {
        WNDCLASSW cls{};
        cls.lpfnWndProc = Proc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"TestBusyPage";
        RegisterClassW(&cls);  // the second window finds it registered
        HWND window = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      cls.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        window_ = window;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    }

    UniqueHandle go_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<HWND> window_{nullptr};
    std::thread thread_;
};

TEST(AutofillPages, ChromiumPageIsReadOnceItsTreeIsBuiltAndThenFromTheSameDocument) {
    FakeBrowser browser(L"chromium-msaa", kBank);
    ASSERT_TRUE(browser.Ready());
    Win32BrowserWindows windows;
    AddressReader reader(windows);
    EXPECT_NE(windows.FrontPageWindow(PageFamily::kChromium), 0u);
    EXPECT_EQ(windows.FrontPageWindow(PageFamily::kFirefox), 0u);

    std::string holder = "previous";
    // The first request only makes the browser build its tree.
    reader.ReadBrowserAddress(holder, kChrome);
    EXPECT_EQ(holder, "");
    reader.ReadBrowserAddress(holder, kChrome);
    EXPECT_EQ(holder, Narrow(kBank));
    browser.SetAddress(L"https://intranet/");
    for (int i = 0; i < 3; ++i) reader.ReadBrowserAddress(holder, kChrome);
    EXPECT_EQ(holder, "https://intranet/");
    // The document found is asked again; the window is not.
    EXPECT_EQ(browser.Title(), L"requests 2");

    browser.Close();
    reader.ReadBrowserAddress(holder, kChrome);
    EXPECT_EQ(holder, "");
}

TEST(AutofillPages, FirefoxPageIsTheShownDocumentNotTheToolbarOrAHiddenTab) {
    FakeBrowser browser(L"firefox-msaa", kBank);
    ASSERT_TRUE(browser.Ready());
    Win32BrowserWindows windows;
    AddressReader reader(windows);
    EXPECT_EQ(windows.FrontPageWindow(PageFamily::kChromium), 0u);

    std::string holder;
    // A walk that takes longer than one tick's share goes on over the next ticks.
    for (int tick = 0; tick < 20 && holder != Narrow(kBank); ++tick) reader.ReadBrowserAddress(holder, kFirefox);
    EXPECT_EQ(holder, Narrow(kBank));
    browser.SetAddress(L"http://intranet/login");
    reader.ReadBrowserAddress(holder, kFirefox);
    EXPECT_EQ(holder, "http://intranet/login");
    EXPECT_EQ(browser.Title(), L"requests 1");

    browser.Close();
    reader.ReadBrowserAddress(holder, kFirefox);
    EXPECT_EQ(holder, std::string(kFirefox) + kBrowserNotOpen);
}

TEST(AutofillPages, EachReaderAsksItsBusyWindowAgainOnceThatWindowHasCaughtUp) {
    // Two readers find their windows busy, and the window found second catches up first: each
    // reader goes by its own window's answer, not by whichever came last.
    BusyPageWindow firstPage, secondPage;
    AccessiblePages first, second;
    EXPECT_EQ(first.Open(firstPage.Handle()).kind, PageAnswer::kNoAnswer);
    EXPECT_EQ(second.Open(secondPage.Handle()).kind, PageAnswer::kNoAnswer);
    EXPECT_EQ(second.Open(secondPage.Handle()).kind, PageAnswer::kNoAnswer) << "asked again while busy";
    secondPage.CatchUp();
    firstPage.CatchUp();
    std::optional<int> quit;
    ProcessPendingMessages(quit);  // the windows' answers to the readers' probes
    EXPECT_EQ(first.Open(firstPage.Handle()).kind, PageAnswer::kNotReady);
    EXPECT_EQ(second.Open(secondPage.Handle()).kind, PageAnswer::kNotReady);
}

}  // namespace
}  // namespace tf::test
