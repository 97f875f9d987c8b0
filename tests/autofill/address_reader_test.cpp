#include "autofill/address_reader.h"

#include <gtest/gtest.h>

#include "autofill/fake_browser_windows.h"

namespace tf {
namespace {

using namespace std::string_literals;
using Calls = std::vector<std::string>;

const std::string kFirefoxNotOpen = std::string(kFirefox) + kBrowserNotOpen;

TEST(ReadBrowserAddress, ChromeAndOperaTakeTheTextTheWindowGives) {
    struct Case {
        const char* browser;
        std::string shown;
        std::string holder;
    };
    const Case cases[] = {
        {kChrome, "intranet/login", "intranet/login"},
        {kChrome, "a/b\0junk"s, ""},  // not read whole: no address (the page is read instead)
        {kChrome, "bank.com\0@evil.net/"s, ""},
        {kChrome, "", ""},  // not running: the old address goes
        {kOpera16, "  intranet/login  ", "intranet/login"},
        {kOpera16, "a b \0 junk"s, ""},
        {kOpera16, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.browser) + " " + testing::PrintToString(c.shown));
        FakeBrowserWindows windows;
        windows.chrome = windows.opera = c.shown;
        AddressReader reader(windows);
        std::string holder = "old";
        reader.ReadBrowserAddress(holder, c.browser);
        EXPECT_EQ(holder, c.holder);
        EXPECT_EQ(windows.calls, Calls{c.browser == std::string(kChrome) ? "chrome" : "opera"});
    }
}

TEST(ReadBrowserAddress, InternetExplorerWalkFollowsTheVersionLead) {
    struct Case {
        std::optional<std::string> version;
        std::optional<std::string> classic;
        std::string band;
        Calls calls;
        std::string holder;
    };
    const Case cases[] = {
        {"7.0.5730.13", "http://a/", "", {"version", "classic+band root"}, "http://a/"},
        {"6.0.2900", "http://a/", "", {"version", "classic"}, "http://a/"},
        {"11.0.9600", "http://a/", "", {"version", "classic"}, "http://a/"},  // "1", not 11
        {"6.0", "http://a/\0x"s, "", {"version", "classic"}, ""},             // not read whole: no address
        {"6.0", "", "", {"version", "classic"}, ""},
        {"6.0", std::nullopt, "", {"version", "classic"}, "old"},  // a level is missing
        {"8.0.6001", "x", "http://band/", {"version", "band"}, "http://band/"},
        {"9.0", "x", "http://band/\0x"s, {"version", "band"}, ""},
        {"9.0", "x", "", {"version", "band"}, ""},  // not running
        {"", "x", "", {"version"}, "old"},          // no lead is no number
        {"v7", "x", "", {"version"}, "old"},
        {std::nullopt, "x", "", {"version"}, "old"},  // unreadable, and nothing kept from before
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.version));
        FakeBrowserWindows windows;
        windows.version = c.version;
        windows.classic = c.classic;
        windows.band = c.band;
        AddressReader reader(windows);
        std::string holder = "old";
        reader.ReadBrowserAddress(holder, kInternetExplorer);
        EXPECT_EQ(windows.calls, c.calls);
        EXPECT_EQ(holder, c.holder);
    }
}

TEST(ReadBrowserAddress, UnreadableRegistryKeepsTheLeadOfTheLastGoodRead) {
    // The band reader is chosen by this read's answer only; the classic walk uses the kept lead.
    const std::pair<const char*, const char*> cases[] = {{"7.0", "classic+band root"}, {"8.0", "classic"}};
    for (const auto& [earlier, walk] : cases) {
        SCOPED_TRACE(earlier);
        FakeBrowserWindows windows;
        windows.classic = "http://a/";
        AddressReader reader(windows);
        windows.version = earlier;
        EXPECT_EQ(reader.GetIEVersion(), std::string(earlier, 1));

        windows.version.reset();
        windows.calls.clear();
        std::string holder;
        reader.ReadBrowserAddress(holder, kInternetExplorer);
        EXPECT_EQ(windows.calls, (Calls{"version", walk}));
        EXPECT_EQ(holder, "http://a/");
        EXPECT_EQ(reader.IEVersionText(), earlier);
        EXPECT_EQ(reader.IEVersionLead(), std::string(earlier, 1));
    }
}

TEST(GetIEVersion, ReplacesTextAndLeadOnEveryGoodRead) {
    struct Case {
        std::optional<std::string> value;
        std::string returned, text, lead;
    };
    const Case cases[] = {
        {"11.0.9600.17843", "1", "11.0.9600.17843", "1"},
        {"7.0\0junk"s, "7", "7.0", "7"},
        {"", "", "", ""},  // read, but empty: both are replaced
        {"\0 9"s, "", "", ""},
        {"中9", "中", "中9", "中"},
        {std::nullopt, "", "8.0", "8"},  // unreadable: the earlier read stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.value));
        FakeBrowserWindows windows;
        AddressReader reader(windows);
        windows.version = "8.0";
        reader.GetIEVersion();
        windows.version = c.value;
        EXPECT_EQ(reader.GetIEVersion(), c.returned);
        EXPECT_EQ(reader.IEVersionText(), c.text);
        EXPECT_EQ(reader.IEVersionLead(), c.lead);
    }
}

TEST(ReadBrowserAddress, DdeReplyGivesTheQuotedFirstField) {
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {"\"http://a/b\",\"title\",\"\"", "http://a/b"},
        {"\"http://中文/\",\"标题\"", "http://中文/"},
        {"\"中\"", "中"},
        {"\"http://a/\"", "http://a/"},
        // Read by the reply's quoting, not cut at the first comma (nor one character before it).
        {"\"http://a/b?x=1,2\",\"title\"", "http://a/b?x=1,2"},
        {"\"http://bank.comX,@evil.net/\",\"Bank\",\"\"", "http://bank.comX,@evil.net/"},
        {"\"http://a/,\",\"t,\\\"x\\\"\",\"\"", "http://a/,"},  // the title's quotes are escaped
        {"\"http://a/\\\"b\",\"t\"", "http://a/\"b"},
        {"\"http://a/\\b\",\"t\"", "http://a/\\b"},  // a backslash before anything else is itself
        // A reply that cannot be read whole gives no address.
        {"\"http://a/\0b\",\"t\""s, kFirefoxNotOpen},
        {"\"http://bank.com\0@evil.net/\",\"t\""s, kFirefoxNotOpen},
        {"\"http://a/b", kFirefoxNotOpen},            // never closed
        {"\"http://a/b\\\"", kFirefoxNotOpen},        // the last quote is escaped
        {"\"http://a/\"b\",\"t\"", kFirefoxNotOpen},  // a quote inside, unescaped
        {"\"http://a/\"\",\"t\"", kFirefoxNotOpen},   // nor doubled
        {"\"http://a/\" ,\"t\"", kFirefoxNotOpen},
        {"ab", kFirefoxNotOpen},  // not quoted
        {"http://a/,\"t\"", kFirefoxNotOpen},
        {"\"\",\"t\"", kFirefoxNotOpen},  // empty
        {std::nullopt, kFirefoxNotOpen},  // no server answers
        {"", kFirefoxNotOpen},
        {"\0\"http://a/\""s, kFirefoxNotOpen},
        {"\"", kFirefoxNotOpen},
        {"\",\"http://a/\"", kFirefoxNotOpen},
        {",\"http://a/\"", kFirefoxNotOpen},
    };
    for (const auto& [reply, holder] : cases) {
        SCOPED_TRACE(testing::PrintToString(reply));
        FakeBrowserWindows windows;
        windows.dde = reply;
        AddressReader reader(windows);
        std::string text = "old";
        reader.ReadBrowserAddress(text, kFirefox);
        EXPECT_EQ(text, holder);
        EXPECT_EQ(windows.calls, Calls{"dde firefox|WWW_GetWindowInfo|0xFFFFFFFF"});
    }
}

TEST(ReadBrowserAddress, AddressBandThatDoesNotAnswerInTimeKeepsTheLastAddress) {
    FakeBrowserWindows windows;
    windows.version = "8.0";
    windows.band = "http://bank/login";
    AddressReader reader(windows);
    std::string holder;
    EXPECT_EQ(reader.ReadBrowserAddress(holder, kInternetExplorer), ReadOutcome::kAddress);
    EXPECT_EQ(holder, "http://bank/login");

    windows.bandTimesOut = true;
    EXPECT_EQ(reader.ReadBrowserAddress(holder, kInternetExplorer), ReadOutcome::kPending);
    EXPECT_EQ(holder, "http://bank/login");
    EXPECT_EQ(reader.State(), ReadState::kNotAnswering);

    // A band that is not there is a closed browser.
    windows.bandTimesOut = false;
    windows.band = "";
    EXPECT_EQ(reader.ReadBrowserAddress(holder, kInternetExplorer), ReadOutcome::kNone);
    EXPECT_EQ(holder, "");
}

TEST(ReadBrowserAddress, NamesAreComparedExactlyAndOthersAskDde) {
    for (const char* name : {"chrome", "Internet explorer"}) {
        SCOPED_TRACE(name);
        FakeBrowserWindows windows;
        AddressReader reader(windows);
        std::string holder;
        reader.ReadBrowserAddress(holder, name);
        EXPECT_EQ(windows.calls, Calls{"dde " + std::string(name) + "|WWW_GetWindowInfo|0xFFFFFFFF"});
        EXPECT_EQ(holder, name + std::string(kBrowserNotOpen));
    }
}

}  // namespace
}  // namespace tf
