// What one watch tick's read of a browser page costs under Wine, per kind of fake browser: the
// first read, then the median and worst of later ones, and the parts of the accessible-page walk.
// Prints only; run by bench/wine_bench.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "autofill/accessible_page_win.h"
#include "autofill/address_reader.h"
#include "autofill/browser_windows_win.h"
#include "autofill/credential_keys_win.h"
#include "support/fake_apps_win.h"
#include "support/ui_driver_win.h"

namespace tf::test {
namespace {

const std::wstring kBank = L"https://bank.example/login?from=登录";

// Lets the answers to our probes in: they come through this thread's messages.
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

struct Cost {
    double median = 0, worst = 0;
};

Cost Measure(const std::function<void()>& read, int times) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        QueryPerformanceCounter(&start);
        read();
        QueryPerformanceCounter(&end);
        ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                     static_cast<double>(frequency.QuadPart));
        Pump();
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

TEST(PageReadBench, CostOfOneTick) {
    struct Case {
        const wchar_t* kind;
        const char* browser;
    } cases[] = {
        {L"chrome", kChrome},
        {L"chromium-msaa", kChrome},
        {L"chromium-msaa-silent", kChrome},
        {L"chromium-devtools", kChrome},
        {L"firefox", kFirefox},
        {L"firefox-msaa", kFirefox},
        {L"firefox-deep", kFirefox},
    };
    for (const Case& c : cases) {
        FakeBrowser browser(c.kind, kBank);
        ASSERT_TRUE(browser.Ready());
        Win32BrowserWindows windows;
        AddressReader reader(windows);
        std::string holder;
        Cost first = Measure([&] { reader.ReadBrowserAddress(holder, c.browser); }, 1);
        Cost later = Measure([&] { reader.ReadBrowserAddress(holder, c.browser); }, 30);
        std::printf("read cost %-22s first %7.2f ms, then median %6.2f ms, worst %6.2f ms (\"%s\")\n",
                    Narrow(c.kind).c_str(), first.median, later.median, later.worst, holder.c_str());
        // The parts: the page read alone (kept document), and the walk on a window asked afresh.
        const std::wstring kind = c.kind;
        if (kind != L"chrome" && kind != L"firefox" && kind != L"chromium-msaa-silent") {
            const PageFamily family = kind.starts_with(L"chromium") ? PageFamily::kChromium : PageFamily::kFirefox;
            PageReader pages;
            for (int tick = 0; tick < 20 && !pages.Read(windows, family); ++tick) {
            }
            Cost kept = Measure([&] { pages.Read(windows, family); }, 30);
            HWND window = AccessiblePages::FrontWindow(family);
            int ticks = 0;
            {
                AccessiblePages fresh;
                while (ticks < 20 && fresh.Open(window).kind != PageAnswer::kAddress) ++ticks;
            }
            AccessiblePages fresh;
            Cost open = Measure([&] { fresh.Open(window); }, 20);
            std::printf(
                "  page alone: kept document median %6.2f ms, worst %6.2f ms; one tick of the walk from the window "
                "median %6.2f ms, worst %6.2f ms; the walk took %d tick(s)\n",
                kept.median, kept.worst, open.median, open.worst, ticks + 1);
        }
        // The read a credential key's press makes, of the browser's window in front.
        if (kind != L"chromium-msaa-silent" && browser.Focus(browser.Account())) {
            CredentialKeys keys(windows, reader);
            const Browser box = c.browser == std::string(kChrome) ? Browser::kChrome : Browser::kFirefox;
            HWND front = nullptr;
            Cost press = Measure([&] { keys.ReadForeground(box, front); }, 30);
            std::printf("  read at a press: median %6.2f ms, worst %6.2f ms\n", press.median, press.worst);
        }
        if (kind == L"firefox-msaa") {
            Cost dde = Measure([&] { windows.DdeRequest(kFirefox, kDdeTopic, kDdeItem); }, 30);
            std::printf("  DDE request nobody answers: median %6.2f ms, worst %6.2f ms\n", dde.median, dde.worst);
        }
    }
}

}  // namespace
}  // namespace tf::test
