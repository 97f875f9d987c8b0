#include "autofill/browser_watch.h"

#include <gtest/gtest.h>

#include "autofill/fake_browser_windows.h"
#include "records/record_editor.h"

namespace tf {
namespace {

// The checked boxes by caption, e.g. "ie opera".
std::string CheckedBoxes(const BrowserWatch& watch) {
    std::string out;
    for (int i = 0; i < kBrowserCount; ++i) {
        if (watch.Checked(static_cast<Browser>(i)))
            out += (out.empty() ? "" : " ") + std::string(kBrowserBoxCaptions[i]);
    }
    return out;
}

std::string Running(const BrowserWatch& watch) {
    const std::optional<Browser> b = watch.RunningTimer();
    return b ? kBrowserBoxCaptions[static_cast<std::size_t>(*b)] : "none";
}

struct Click {
    Browser box;
    bool nowChecked;
};

TEST(BrowserWatch, CheckedBoxChoosesTheTimerAndClearsItsRow) {
    using B = Browser;
    struct Case {
        std::vector<Click> clicks;
        const char* checked;
        const char* running;
    };
    const Case cases[] = {
        {{}, "ie", "none"},  // nothing runs before the load
        {{{B::kFirefox, true}}, "firefox", "firefox"},
        {{{B::kFirefox, true}, {B::kChrome, true}}, "chrome", "chrome"},
        {{{B::kChrome, true}, {B::kFirefox, true}}, "firefox", "firefox"},
        {{{B::kChrome, true}, {B::kIE, true}}, "ie", "ie"},
        {{{B::kFirefox, true}, {B::kIE, true}}, "ie", "ie"},
        {{{B::kOpera, true}}, "ie opera", "opera"},
        {{{B::kOpera, true}, {B::kIE, true}}, "ie opera", "ie"},
        {{{B::kOpera, true}, {B::kChrome, true}}, "chrome opera", "chrome"},
        {{{B::kOpera, true}, {B::kFirefox, true}, {B::kOpera, true}}, "firefox opera", "opera"},
        // Clearing a box stops nothing, not even the only one that was checked.
        {{{B::kFirefox, true}, {B::kFirefox, false}}, "", "firefox"},
        {{{B::kOpera, true}, {B::kOpera, false}}, "ie", "opera"},
        {{{B::kOpera, true}, {B::kIE, false}}, "opera", "opera"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.checked << " / " << c.running);
        BrowserWatch watch;
        for (const Click& click : c.clicks) watch.BoxClicked(click.box, click.nowChecked);
        EXPECT_EQ(CheckedBoxes(watch), c.checked);
        EXPECT_EQ(Running(watch), c.running);
    }
}

TEST(BrowserWatch, LoadStartsTheTimerOfTheLastCheckedBox) {
    using B = Browser;
    const std::pair<std::vector<Click>, const char*> cases[] = {
        {{}, "ie"},
        {{{B::kChrome, true}}, "chrome"},
        {{{B::kOpera, true}, {B::kIE, true}}, "opera"},  // opera is looked at last
        {{{B::kOpera, true}, {B::kFirefox, true}}, "opera"},
        {{{B::kOpera, true}, {B::kOpera, false}}, "ie"},
        {{{B::kIE, false}}, "none"},
    };
    for (const auto& [clicks, running] : cases) {
        SCOPED_TRACE(running);
        BrowserWatch watch;
        for (const Click& click : clicks) watch.BoxClicked(click.box, click.nowChecked);
        watch.Load();
        EXPECT_EQ(Running(watch), running);
    }
}

LoginRecord Record(std::string url, std::string account, std::string password) {
    LoginRecord r;
    r[kSiteName] = account;
    r[kLoginUrl] = std::move(url);
    r[kAccount] = std::move(account);
    r[kPassword] = std::move(password);
    return r;
}

// Addresses as the editor stores them.
RecordGrid Records() {
    RecordGrid grid;
    grid.FillGrid({
        Record("http://intranet/login", "alice", "a1"), Record("http://intranet/", "bob", "b1"),
        Record("http://bank/login", "carol", "c1"),
        Record("http:///", "untouched", "u1"),  // saved with the new-record address "http://"
        Record("http://site/my page", "dave", "d1"), Record("http://host?q=1/", "erin", "e1"),
        Record("http://intranet/中", "frank", "g1"),
        Record(std::string("http://firefox") + kBrowserNotOpen + "/", "ghost", "h1"),
        Record("http://例子.中国/登录", "ivy", "i1"),
        Record("http://shop/%E7%99%BB", "jack", "j1"),  // copied from the address bar, escapes and all
    });
    return grid;
}

struct TickCase {
    Browser browser;
    std::string shown;  // what the browser shows; for Firefox the DDE reply
    std::string search, text7;
    std::string account1;
};

BrowserWatch ExpectTick(const TickCase& c, const RecordGrid& grid) {
    FakeBrowserWindows windows;
    windows.version = "9.0";
    windows.band = windows.chrome = windows.opera = c.shown;
    if (!c.shown.empty()) windows.dde = c.shown;
    AddressReader reader(windows);
    BrowserWatch watch;
    watch.BoxClicked(c.browser, true);
    watch.Tick(reader, grid);
    EXPECT_EQ(watch.SearchText(), c.search);
    EXPECT_EQ(watch.Text7(), c.text7);
    EXPECT_EQ(watch.Slots().Text1, c.account1);
    return watch;
}

TEST(BrowserWatch, ChromeAndOperaTicksBuildTheAddressAndFindItsRecords) {
    const RecordGrid grid = Records();
    using B = Browser;
    const TickCase cases[] = {
        {B::kChrome, "intranet/login", "http://intranet/login", "/login", "alice"},
        {B::kChrome, "intranet", "http://intranet/", "", "bob"},
        // The prefix goes in front whatever the address begins with; the record is found all the same.
        {B::kChrome, "https://bank/login", "http://https://bank/login", "/login", "carol"},
        {B::kChrome, "http://bank/login", "http://http://bank/login", "/login", "carol"},
        {B::kChrome, "host?q=1", "http://host?q=1/", "", "erin"},
        {B::kChrome, "https://host?q=1", "http://https://host?q=1/", "", "erin"},
        {B::kChrome, "intranet/%D6%D0", "http://intranet/中", "/%D6%D0", "frank"},
        // An escape that does not decode stays: the address is not cut short to another one.
        {B::kChrome, "intranet/login%", "http://intranet/login%", "/login%", ""},
        {B::kChrome, "intranet/login%00", "http://intranet/login%00", "/login%00", ""},
        {B::kChrome, "elsewhere/login", "http://elsewhere/login", "/login", ""},
        // Not running: no host, and no match, not even the record saved with an empty address.
        {B::kChrome, "", "http:///", "", ""},
        {B::kOpera, "  intranet/login ", "http://intranet/login", "/login", "alice"},
        {B::kOpera, "   ", "http:///", "", ""},
    };
    for (const TickCase& c : cases) {
        SCOPED_TRACE(testing::Message() << kBrowserBoxCaptions[static_cast<std::size_t>(c.browser)] << " "
                                        << testing::PrintToString(c.shown));
        ExpectTick(c, grid);
    }
}

TEST(BrowserWatch, InternetExplorerAndFirefoxTicksOnlyDecode) {
    const RecordGrid grid = Records();
    using B = Browser;
    const std::string notOpen = std::string(kFirefox) + kBrowserNotOpen;
    const TickCase cases[] = {
        {B::kIE, "http://site/my%20page", "http://site/my page", "", "dave"},
        {B::kIE, "http://my%20site/", "http://my%20site/", "", ""},  // the host is compared as written
        {B::kIE, "http://intranet/login", "http://intranet/login", "", "alice"},
        {B::kIE, "https://bank/login", "https://bank/login", "", "carol"},
        {B::kIE, "intranet/login", "intranet/login", "", "alice"},
        {B::kIE, "  http://intranet/  ", "  http://intranet/  ", "", "bob"},
        {B::kIE, "http://host?q=1", "http://host?q=1", "", "erin"},
        {B::kIE, "http://intranet/a%", "http://intranet/a%", "", ""},
        {B::kIE, "http://intranet/login%", "http://intranet/login%", "", ""},
        {B::kIE, "", "", "", ""},  // the band reader when IE is not running
        {B::kFirefox, "\"http://bank/login\",\"Bank\",\"\"", "http://bank/login", "", "carol"},
        {B::kFirefox, "\"https://intranet/\",\"Intranet\"", "https://intranet/", "", "bob"},
        {B::kFirefox, "\"http://intranet/login,x\",\"Intranet\"", "http://intranet/login,x", "", ""},
        // Not running: the failure text is shown, and found nowhere even if a record has it.
        {B::kFirefox, "", notOpen, "", ""},
    };
    for (const TickCase& c : cases) {
        SCOPED_TRACE(testing::Message() << kBrowserBoxCaptions[static_cast<std::size_t>(c.browser)] << " "
                                        << testing::PrintToString(c.shown));
        ExpectTick(c, grid);
    }
}

TEST(BrowserWatch, PagesOfCurrentBrowsersFindTheRecordsTheEditorStored) {
    const RecordGrid grid = Records();
    struct Case {
        Browser browser;
        std::string page;  // the document's address
        std::string account1;
    };
    const Case cases[] = {
        {Browser::kChrome, "https://bank/login", "carol"},
        {Browser::kChrome, "https://intranet/", "bob"},
        {Browser::kChrome, "https://intranet", "bob"},
        {Browser::kFirefox, "https://bank/login", "carol"},
        {Browser::kFirefox, "https://intranet/", "bob"},
        {Browser::kFirefox, "https://intranet/%E4%B8%AD", "frank"},
        {Browser::kFirefox, "http://elsewhere/", ""},
        // Current browsers escape in UTF-8 and give international hosts in their ASCII form.
        {Browser::kChrome, "https://xn--fsqu00a.xn--fiqs8s/%E7%99%BB%E5%BD%95", "ivy"},
        {Browser::kFirefox, "https://xn--fsqu00a.xn--fiqs8s/%E7%99%BB%E5%BD%95", "ivy"},
        {Browser::kChrome, "https://shop/%E7%99%BB", "jack"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        FakeBrowserWindows windows;
        windows.chromiumWindow = windows.firefoxWindow = 1;
        windows.openAnswers = {{PageAnswer::kNotReady, {}}, {PageAnswer::kAddress, c.page}};
        AddressReader reader(windows);
        BrowserWatch watch;
        watch.BoxClicked(c.browser, true);
        // The first request only wakes the browser's tree up.
        watch.Tick(reader, grid);
        EXPECT_EQ(watch.Slots().Text10, "");
        watch.Tick(reader, grid);
        EXPECT_EQ(watch.Holder(c.browser), c.page);
        EXPECT_EQ(watch.Slots().Text1, c.account1);
    }
}

TEST(BrowserWatch, TwoMatchesFillBothSlotsAndNameTheLast) {
    RecordGrid grid;
    grid.FillGrid({Record("http://mail/", "first", "f1"), Record("http://other/", "x", "x1"),
                   Record("http://mail/", "second", "s1")});
    FakeBrowserWindows windows;
    windows.chrome = "mail";
    AddressReader reader(windows);
    BrowserWatch watch;
    watch.BoxClicked(Browser::kChrome, true);
    watch.Tick(reader, grid);
    EXPECT_EQ(watch.Slots(), (CredentialSlots{"first", "f1", "second", "s1", "http://mail/"}));
}

TEST(BrowserWatch, ReadThatCannotTellKeepsTheLastAddressAndItsMatch) {
    const RecordGrid grid = Records();
    // A classic walk that finds nothing, a page walk still under way, a DDE request timed out.
    for (Browser b : {Browser::kIE, Browser::kChrome, Browser::kFirefox}) {
        SCOPED_TRACE(kBrowserBoxCaptions[static_cast<std::size_t>(b)]);
        FakeBrowserWindows windows;
        windows.version = "6.0";
        windows.classic = "http://bank/login";
        windows.chromiumWindow = 1;
        windows.openAnswers = {{PageAnswer::kAddress, "bank/login"}, {PageAnswer::kWalking, ""}};
        windows.dde = "\"http://bank/login\",\"Bank\"";
        AddressReader reader(windows);
        BrowserWatch watch;
        watch.BoxClicked(b, true);
        watch.Tick(reader, grid);
        ASSERT_EQ(watch.Slots().Text1, "carol");
        const std::string search = watch.SearchText();

        windows.classic.reset();
        windows.keptAnswers = {{PageAnswer::kGone, ""}};
        windows.dde.reset();
        windows.ddeTimesOut = true;
        watch.Tick(reader, grid);
        EXPECT_EQ(watch.SearchText(), search);
        EXPECT_EQ(watch.Slots().Text1, "carol");
    }
}

TEST(BrowserWatch, AddressesStoredInAnotherFormStillMatchTheAddressAsRead) {
    // Addresses typed into the vault file by hand, next to one the editor stored.
    RecordGrid grid;
    grid.FillGrid({Record("https://bank/login", "old", "o1"), Record("bank/login", "hand", "h1"),
                   Record("http://bank/login", "new", "n1")});
    using B = Browser;
    const std::pair<TickCase, CredentialSlots> cases[] = {
        {{B::kIE, "https://bank/login", "https://bank/login", "", "old"},
         {"old", "o1", "new", "n1", "http://bank/login"}},
        {{B::kIE, "bank/login", "bank/login", "", "hand"}, {"hand", "h1", "new", "n1", "http://bank/login"}},
        {{B::kIE, "http://bank/login", "http://bank/login", "", "new"}, {"new", "n1", "", "", "http://bank/login"}},
        {{B::kFirefox, "\"https://bank/login\",\"Bank\"", "https://bank/login", "", "old"},
         {"old", "o1", "new", "n1", "http://bank/login"}},
        {{B::kChrome, "bank/login", "http://bank/login", "/login", "new"}, {"new", "n1", "", "", "http://bank/login"}},
    };
    for (const auto& [c, slots] : cases) {
        SCOPED_TRACE(testing::Message() << kBrowserBoxCaptions[static_cast<std::size_t>(c.browser)] << " " << c.shown);
        const BrowserWatch watch = ExpectTick(c, grid);
        EXPECT_EQ(watch.Slots(), slots);
    }
}

TEST(BrowserWatch, TickReadsOnlyTheRunningBrowserAndKeepsTheOtherHolders) {
    const RecordGrid grid = Records();
    FakeBrowserWindows windows;
    windows.chrome = "intranet/login";
    windows.version = "9.0";
    windows.band = "http://bank/login";
    AddressReader reader(windows);
    BrowserWatch watch;

    watch.Tick(reader, grid);  // before the load no timer runs
    EXPECT_TRUE(windows.calls.empty());

    watch.BoxClicked(Browser::kChrome, true);
    watch.Tick(reader, grid);
    watch.BoxClicked(Browser::kIE, true);
    windows.calls.clear();
    watch.Tick(reader, grid);
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"version", "band"}));
    EXPECT_EQ(watch.Holder(Browser::kChrome), "intranet/login");
    EXPECT_EQ(watch.Holder(Browser::kIE), "http://bank/login");
    EXPECT_EQ(watch.Text7(), "/login");  // only Chrome and Opera ticks write it
    EXPECT_EQ(watch.Slots().Text1, "carol");
}

TEST(LookupForm, PutsAddressesInTheFormTheEditorStores) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"   ", ""},
        {"  http://intranet/login ", "http://intranet/login"},
        {"https://bank/login", "http://bank/login"},
        {"http://https://bank/login", "http://bank/login"},
        {"http://https://host?q=1/", "http://host?q=1/"},
        {"http://host?q=1", "http://host?q=1/"},
    };
    for (const auto& [text, form] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(LookupForm(text), form);
    }
}

TEST(LookupForm, RecordTypedIntoTheEditorIsFoundFromItsStoredFormAndFromChrome) {
    const char* const typed[] = {"intranet",  "intranet/login", "https://bank/login", "https://bank/", "host?q=1",
                                 "host?q=1/", "https://bank?q", "host#top",           "HTTP://X",      "ftp://f/x",
                                 "a:8080",    "a:8080/p?q#f",   "中文/登录",          "http://a/b/"};
    for (const char* address : typed) {
        SCOPED_TRACE(address);
        const std::string stored = NormaliseLoginUrl(address).url;
        if (stored.starts_with("https://")) {
            EXPECT_EQ(SecureLookupForm(stored), stored);
        } else {
            EXPECT_EQ(LookupForm(stored), stored);
        }

        RecordGrid grid;
        grid.FillGrid({Record(stored, "user", "pw")});
        FakeBrowserWindows windows;
        windows.chrome = address;
        AddressReader reader(windows);
        BrowserWatch watch;
        watch.BoxClicked(Browser::kChrome, true);
        watch.Tick(reader, grid);
        EXPECT_EQ(watch.Slots().Text10, stored);
    }
}

TEST(LookupForm, HttpsFormOnlyForHttpsPagesAndOnlyForTheirOwnHost) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://bank/login", "https://bank/login"},
        {"  HTTPS://bank ", "https://bank/"},
        {"https://bank?q=1", "https://bank?q=1/"},
        {"https://bank?q=1/", "https://bank?q=1/"},
        {"https://bank/?u=http://x/", "https://bank/?u=x/"},
        {"https://bank:8443/a", "https://bank:8443/a"},
        {"http://bank/login", ""},
        {"bank/login", ""},
        {"http://https://bank/login", ""},  // the search box's form of Chrome's address: not a page address
        // Taking the schemes out would change the host: "http" is the host here, not bank.
        {"https://http://bank/", ""},
        {"https://https://bank/", ""},
        {"https://htthttp://p://bank/", ""},
        {"", ""},
    };
    for (const auto& [address, form] : cases) {
        SCOPED_TRACE(address);
        EXPECT_EQ(SecureLookupForm(address), form);
    }
}

// A record saved from an https address is found by https pages only; records in the plain form,
// as every vault written before holds them, by pages of either scheme, as before.
TEST(MatchPage, HttpsRecordsAreFoundByHttpsPagesOnly) {
    RecordGrid grid;
    grid.FillGrid({Record("https://secure/login", "sec", "s1"), Record("http://plain/login", "old", "o1"),
                   Record(NormaliseLoginUrl("https://中国.example/登录").url, "cn", "c1")});
    using B = Browser;
    struct Case {
        Browser browser;
        const char* holder;
        bool fromPage;
        const char* account1;
    };
    const Case cases[] = {
        // https record × https page: found, whatever reads the page.
        {B::kIE, "https://secure/login", false, "sec"},
        {B::kIE, "HTTPS://secure/login", false, "sec"},
        {B::kChrome, "https://secure/login", false, "sec"},
        {B::kOpera, "https://secure/login", false, "sec"},
        {B::kFirefox, "https://secure/login", false, "sec"},
        {B::kChrome, "https://secure/login", true, "sec"},
        {B::kFirefox, "https://secure/login", true, "sec"},
        {B::kChrome, "https://xn--fiqs8s.example/%E7%99%BB%E5%BD%95", true, "cn"},
        // https record × http page, or a page read without its scheme: refused.
        {B::kIE, "http://secure/login", false, ""},
        {B::kIE, "secure/login", false, ""},
        {B::kChrome, "secure/login", false, ""},
        {B::kChrome, "http://secure/login", false, ""},
        {B::kOpera, "http://secure/login", false, ""},
        {B::kFirefox, "http://secure/login", false, ""},
        {B::kChrome, "http://secure/login", true, ""},
        {B::kFirefox, "http://secure/login", true, ""},
        {B::kChrome, "http://xn--fiqs8s.example/%E7%99%BB%E5%BD%95", true, ""},
        // An https page on another host that reads like the record once its schemes are taken out.
        {B::kIE, "https://http://secure/login", false, ""},
        {B::kChrome, "https://http://secure/login", true, ""},
        // Old record × both schemes: found, as always.
        {B::kIE, "http://plain/login", false, "old"},
        {B::kIE, "https://plain/login", false, "old"},
        {B::kChrome, "plain/login", false, "old"},
        {B::kChrome, "https://plain/login", false, "old"},
        {B::kFirefox, "https://plain/login", true, "old"},
        {B::kFirefox, "http://plain/login", true, "old"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << kBrowserBoxCaptions[static_cast<std::size_t>(c.browser)] << " " << c.holder
                                        << (c.fromPage ? " (page)" : ""));
        EXPECT_EQ(MatchPage(c.browser, c.holder, grid, c.fromPage).slots.Text1, c.account1);
    }
}

// Addresses of other sites that the readers or decoders used to turn into bank.com's.
TEST(MatchPage, LookAlikeAddressesFindNothing) {
    RecordGrid grid;
    grid.FillGrid({Record("http://bank.com/", "plain", "p1"), Record("http://bank.com/login", "login", "l1"),
                   Record("https://bank.com/", "secure", "s1"), Record("http://中国.com/", "cn", "c1")});
    using B = Browser;
    struct Case {
        Browser browser;
        const char* holder;
        bool fromPage;
    };
    const Case cases[] = {
        // A NUL, a bad escape or a "%" at the end used to end the address there.
        {B::kIE, "http://bank.com%00@evil.net/", false},
        {B::kIE, "http://bank.com%zz@evil.net/", false},
        {B::kIE, "http://bank.com%", false},
        {B::kIE, "http://bank.com%4", false},
        {B::kChrome, "bank.com%00@evil.net", false},
        {B::kChrome, "bank.com%", false},
        {B::kOpera, "bank.com%zz", false},
        {B::kFirefox, "http://bank.com%00@evil.net/", false},
        {B::kChrome, "https://bank.com%00@evil.net/", true},
        {B::kChrome, "https://bank.com%", true},
        // The user name is not the host.
        {B::kIE, "http://bank.com@evil.net/", false},
        {B::kChrome, "bank.com@evil.net", false},
        {B::kFirefox, "https://bank.com@evil.net/", true},
        // Escapes in the host are not decoded.
        {B::kIE, "http://bank%2ecom/", false},
        {B::kChrome, "bank%2ecom", false},
        {B::kChrome, "bank.com%2flogin", false},
        {B::kIE, "http://bank.com%2flogin", false},
        {B::kChrome, "https://bank%2Ecom/", true},
        {B::kFirefox, "https://bank.com%2flogin", true},
        // A host label that stands for plain ASCII, or is not the one encoding of its characters.
        {B::kChrome, "https://xn--bank-.com/", true},
        {B::kFirefox, "http://xn--bank-.com/", true},
        {B::kChrome, "http://xn---fiqs8s.com/", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << kBrowserBoxCaptions[static_cast<std::size_t>(c.browser)] << " " << c.holder
                                        << (c.fromPage ? " (page)" : ""));
        EXPECT_EQ(MatchPage(c.browser, c.holder, grid, c.fromPage).slots, CredentialSlots());
    }
    // The same addresses of the site itself are found.
    EXPECT_EQ(MatchPage(B::kIE, "http://bank.com/", grid).slots.Text1, "plain");
    EXPECT_EQ(MatchPage(B::kChrome, "bank.com%2flogin", grid).searchText, "http://bank.com%2flogin/");
    EXPECT_EQ(MatchPage(B::kChrome, "bank.com/%6cogin", grid).slots.Text1, "login");
    EXPECT_EQ(MatchPage(B::kChrome, "https://xn--fiqs8s.com/", grid, true).slots.Text1, "cn");
}

TEST(BrowserWatch, FirefoxReplyWithACommaInTheAddressIsNotCutThere) {
    RecordGrid grid;
    grid.FillGrid({Record("http://bank.com/", "plain", "p1")});
    // The old reading: cut at the comma, less the character before it, gave "http://bank.com".
    const TickCase c{Browser::kFirefox, "\"http://bank.comX,@evil.net/\",\"Bank\",\"\"", "http://bank.comX,@evil.net/",
                     "", ""};
    ExpectTick(c, grid);
}

TEST(WatchStatusText, NamesTheBrowserAndSiteReadOrWhyNothingWas) {
    using S = ReadState;
    struct Case {
        Browser browser;
        S state;
        const char* holder;
        const char* program;
        const char* text;
    };
    const Case cases[] = {
        {Browser::kChrome, S::kAddress, "https://xn--fiqs8s/login", "Edge", "Edge: 中国"},
        {Browser::kChrome, S::kAddress, "bank.example/login", "", "Chrome: bank.example"},
        {Browser::kChrome, S::kNoWindow, "", "", "no Chrome window"},
        {Browser::kFirefox, S::kAccessibilityOff, "", "", "accessibility is off in Firefox"},
        {Browser::kOpera, S::kLoading, "", "", "page still loading"},
        {Browser::kIE, S::kNotAnswering, "", "", "Internet Explorer does not answer"},
    };
    for (const Case& c : cases) EXPECT_EQ(WatchStatusText(c.browser, c.state, c.holder, c.program), c.text);

    // A tick says what it found.
    FakeBrowserWindows windows;
    windows.firefoxWindow = 1;
    AddressReader reader(windows);
    BrowserWatch watch;
    watch.BoxClicked(Browser::kFirefox, true);
    watch.Tick(reader, Records());
    EXPECT_EQ(watch.StatusText(), "page still loading");
    // The first request only starts the tree: asked again soon, then at the usual second.
    EXPECT_EQ(watch.FollowUpMs(), kTreeFollowUpMs);
    watch.Tick(reader, Records());
    EXPECT_EQ(watch.FollowUpMs(), 0);
    windows.firefoxWindow = 0;
    watch.Tick(reader, Records());
    EXPECT_EQ(watch.StatusText(), "no Firefox window");
}

}  // namespace
}  // namespace tf
