// The pages of current browsers, read through their accessible documents: fake Chromium and
// Firefox programs of our own that answer only that way. What a read costs is measured by
// bench/page_read_bench_win.cpp; the browser that never answers is watched by the program's own test.
#include <gtest/gtest.h>

#include <vector>

#include "autofill/accessible_page_win.h"
#include "autofill/address_reader.h"
#include "autofill/browser_windows_win.h"
#include "support/fake_apps_win.h"
#include "support/ui_driver_win.h"

namespace tf::test {
namespace {

const std::wstring kBank = L"https://bank.example/login?from=登录";

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

}  // namespace
}  // namespace tf::test
