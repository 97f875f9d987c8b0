#include "autofill/page_reader.h"

#include <gtest/gtest.h>

#include "autofill/address_reader.h"
#include "autofill/fake_browser_windows.h"

namespace tf {
namespace {

using Calls = std::vector<std::string>;
using A = PageAnswer;

PageAnswer Address(const char* text) { return {A::kAddress, text}; }

TEST(PageReader, TreeBuiltOnTheFirstRequestIsReadOnTheNextTickAndThenKept) {
    FakeBrowserWindows windows;
    windows.chromiumWindow = 7;
    windows.openAnswers = {{A::kNotReady, {}}, Address("https://bank/login")};
    windows.keptAnswers = {Address("https://bank/login"), Address("https://bank/other")};
    PageReader reader;

    EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), std::nullopt);
    EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), "https://bank/login");
    EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), "https://bank/login");
    EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), "https://bank/other");
    EXPECT_EQ(windows.pageCalls, (Calls{"open 7", "open 7", "kept", "kept"}));
}

TEST(PageReader, WindowWithoutADocumentIsAskedLessOftenAfterAWhile) {
    FakeBrowserWindows windows;
    windows.chromiumWindow = 3;
    PageReader reader;
    std::string asked, pending;
    for (int tick = 1; tick <= 20; ++tick) {
        windows.pageCalls.clear();
        EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), std::nullopt);
        asked += windows.pageCalls.empty() ? '.' : 'o';
        pending += reader.Pending() ? 'p' : '-';
    }
    EXPECT_EQ(asked, "ooooo....o....o....o");
    // A tick that does not ask learns nothing: it cannot tell, rather than finding no page.
    EXPECT_EQ(pending, "-----pppp-pppp-pppp-");

    // Another window in front is asked at once.
    windows.chromiumWindow = 4;
    windows.pageCalls.clear();
    reader.Read(windows, PageFamily::kChromium);
    EXPECT_EQ(windows.pageCalls, Calls{"open 4"});
}

TEST(PageReader, AWalkUnderWayIsAskedOnUntilItEndsAndSaysSo) {
    FakeBrowserWindows windows;
    windows.firefoxWindow = 5;
    windows.openAnswers = std::deque<PageAnswer>(8, {A::kWalking, {}});
    windows.openAnswers.push_back(Address("https://bank/login"));
    PageReader reader;
    for (int ask = 1; ask <= 8; ++ask) {
        EXPECT_EQ(reader.Read(windows, PageFamily::kFirefox), std::nullopt) << ask;
        EXPECT_TRUE(reader.Walking()) << ask;
    }
    // Slow as it is, a walk never drops the window into the rhythm of a window without a document.
    EXPECT_EQ(reader.Read(windows, PageFamily::kFirefox), "https://bank/login");
    EXPECT_FALSE(reader.Walking());
    EXPECT_EQ(windows.pageCalls.size(), 9u);
}

TEST(PageReader, KeptDocumentDecidesWhetherToLookAgain) {
    // Plain texts in the table: GCC 12 at -O3 takes strings in such a table for uninitialised.
    struct Case {
        const char* what;
        A::Kind kept;
        const char* keptAddress;
        const char* result;  // null: nothing read
        Calls calls;
    };
    const Case cases[] = {
        {"still the page", A::kAddress, "x/1", "x/1", {"kept"}},
        {"replaced by another tab", A::kGone, "", "x/2", {"kept", "open 9"}},
        {"empty now", A::kNotReady, "", "x/2", {"kept", "open 9"}},
        {"an empty address counts as none", A::kAddress, "", "x/2", {"kept", "open 9"}},
        // A browser that stopped answering is not sent another request in the same tick.
        {"not answering", A::kNoAnswer, "", nullptr, {"kept"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeBrowserWindows windows;
        windows.firefoxWindow = 9;
        windows.openAnswers = {Address("x/0"), Address("x/2")};
        windows.keptAnswers = {PageAnswer{c.kept, c.keptAddress}};
        PageReader reader;
        ASSERT_EQ(reader.Read(windows, PageFamily::kFirefox), "x/0");
        windows.pageCalls.clear();
        const auto read = reader.Read(windows, PageFamily::kFirefox);
        EXPECT_EQ(read, c.result ? std::optional<std::string>(c.result) : std::nullopt);
        EXPECT_EQ(windows.pageCalls, c.calls);
    }
}

TEST(PageReader, FrontWindowChangingOrClosingDropsWhatWasKept) {
    FakeBrowserWindows windows;
    windows.chromiumWindow = 1;
    windows.openAnswers = {Address("one/"), Address("two/"), Address("one/again")};
    PageReader reader;
    EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), "one/");
    windows.chromiumWindow = 2;
    EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), "two/");
    windows.chromiumWindow = 0;
    EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), std::nullopt);
    windows.chromiumWindow = 1;
    EXPECT_EQ(reader.Read(windows, PageFamily::kChromium), "one/again");
    EXPECT_EQ(windows.pageCalls, (Calls{"open 1", "open 2", "open 1"}));
}

TEST(ReadBrowserAddress, TicksThatDoNotAskThePageKeepTheLastAddress) {
    FakeBrowserWindows windows;
    windows.chromiumWindow = 3;
    AddressReader reader(windows);
    std::string holder = "old";
    // Five asks find no document: no address.
    for (int ask = 1; ask <= PageReader::kEagerAsks; ++ask) {
        EXPECT_EQ(reader.ReadBrowserAddress(holder, kChrome), ReadOutcome::kNone) << ask;
        EXPECT_EQ(holder, "");
    }
    // The ticks of the slow rhythm that do not ask cannot tell: what the holder has stands.
    holder = "https://bank/login";
    for (int tick = 1; tick < PageReader::kSlowAskEvery; ++tick) {
        windows.pageCalls.clear();
        EXPECT_EQ(reader.ReadBrowserAddress(holder, kChrome), ReadOutcome::kPending) << tick;
        EXPECT_TRUE(windows.pageCalls.empty());
        EXPECT_EQ(holder, "https://bank/login");
    }
    EXPECT_EQ(reader.ReadBrowserAddress(holder, kChrome), ReadOutcome::kNone);  // asked again
}

TEST(ReadBrowserAddress, PageIsReadOnlyWhenTheOldReaderFindsNothing) {
    const std::string firefoxNotOpen = std::string(kFirefox) + kBrowserNotOpen;
    using K = PageAnswer::Kind;
    using R = ReadOutcome;
    struct Case {
        const char* browser;
        std::string walkOrDde;  // Chrome's omnibox text, or the DDE reply ("-": no server, "~": too slow)
        std::uintptr_t pageWindow;
        const char* holder;
        bool opened;  // the page was asked for its document
        R outcome;
        K answer = K::kAddress;  // what the page answers when asked
    };
    const Case cases[] = {
        {kChrome, "old/chrome", 5, "old/chrome", false, R::kAddress},
        {kChrome, "", 5, "https://page/login", true, R::kAddress},
        {kChrome, "", 0, "", false, R::kNone},
        {kChrome, "", 5, "", true, R::kNone, K::kNotReady},
        // Cannot tell yet: the last address stands.
        {kChrome, "", 5, "old", true, R::kPending, K::kWalking},
        {kChrome, "", 5, "old", true, R::kPending, K::kNoAnswer},
        {kFirefox, "\"http://dde/\",\"t\"", 5, "http://dde/", false, R::kAddress},
        {kFirefox, "-", 5, "https://page/login", true, R::kAddress},
        {kFirefox, "\"", 5, "https://page/login", true, R::kAddress},  // a reply too short is no answer
        {kFirefox, "-", 0, firefoxNotOpen.c_str(), false, R::kNone},
        {kFirefox, "-", 5, "old", true, R::kPending, K::kWalking},
        {kFirefox, "~", 5, "old", false, R::kPending},
        // Other DDE services are not browsers we know the pages of.
        {"Mosaic", "-", 5, "Mosaic浏览器没有打开", false, R::kNone},
        // Opera's box reads current Opera's page once its own reader finds nothing.
        {kOpera16, "", 5, "https://page/login", true, R::kAddress},
        {kOpera16, "", 0, "", false, R::kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.browser) + " " + c.walkOrDde + " " + std::to_string(c.answer));
        FakeBrowserWindows windows;
        windows.chrome = c.walkOrDde;
        if (c.walkOrDde != "-" && c.walkOrDde != "~") windows.dde = c.walkOrDde;
        windows.ddeTimesOut = c.walkOrDde == "~";
        windows.chromiumWindow = windows.firefoxWindow = c.pageWindow;
        windows.openAnswers = {{c.answer, c.answer == K::kAddress ? "https://page/login" : ""}};
        AddressReader reader(windows);
        std::string holder = "old";
        EXPECT_EQ(reader.ReadBrowserAddress(holder, c.browser), c.outcome);
        EXPECT_EQ(holder, c.holder);
        EXPECT_EQ(!windows.pageCalls.empty(), c.opened);
    }
}

}  // namespace
}  // namespace tf
