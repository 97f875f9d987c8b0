#include "autofill/page_address.h"

#include <gtest/gtest.h>

#include "autofill/percent_decode.h"

namespace tf {
namespace {

TEST(DecodePercentUtf8, DecodesWhatFormsUtf8AndKeepsTheRest) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://example.cn/%E7%99%BB%E5%BD%95", "https://example.cn/登录"},
        {"https://a/%e7%99%bb?q=a%20b", "https://a/登?q=a b"},
        {"https://a/%F0%9F%98%80", "https://a/😀"},
        // Not UTF-8: a code page 936 pair, a lone continuation byte, a cut sequence, an overlong form.
        {"https://a/%D6%D0", "https://a/%D6%D0"},
        {"https://a/%80x", "https://a/%80x"},
        {"https://a/%E7%99", "https://a/%E7%99"},
        {"https://a/%C0%AF", "https://a/%C0%AF"},
        // What could not be told from the text around it stays escaped.
        {"https://a/100%25%20off", "https://a/100%25 off"},
        {"https://a/%00%0A", "https://a/%00%0A"},
        {"https://a/%zz%4", "https://a/%zz%4"},
        {"https://a/b%", "https://a/b%"},
        {"https://a/b%2", "https://a/b%2"},
        {"https://bank.com%00@evil.net/", "https://bank.com%00@evil.net/"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(DecodePercentUtf8(in), out) << in;
}

TEST(DecodeAfterHost, LeavesTheSchemeUserAndHostAsWritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://bank.com/a%20b", "http://bank.com/a b"},
        {"http://bank%2ecom/login", "http://bank%2ecom/login"},
        {"http://bank.com%2flogin@evil.net/x%2fy", "http://bank.com%2flogin@evil.net/x/y"},
        {"http://bank.com%2f@evil.net/", "http://bank.com%2f@evil.net/"},
        {"http://bank.com%40evil.net/", "http://bank.com%40evil.net/"},
        {"bank.com%2flogin", "bank.com%2flogin"},  // no scheme: the host from the start
        {"bank.com/%41", "bank.com/A"},
        {"intranet?q=%41", "intranet?q=A"},
        {"host#%41", "host#A"},
        {"http%3a//bank.com/%41", "http%3a//bank.com/A"},
        {"https://%D6%D0/%D6%D0", "https://%D6%D0/中"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(DecodeAfterHost(in, DecodePercent), out) << in;
    EXPECT_EQ(DecodeAfterHost("https://bank%2Ecom/%E7%99%BB", DecodePercentUtf8), "https://bank%2Ecom/登");
}

TEST(WithUnicodeHost, DecodesTheAsciiFormOfInternationalHostNames) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"https://xn--fiqs8s.xn--fiqs8s/login", "https://中国.中国/login"},
        {"http://user@XN--MNCHEN-3YA.de:8080/a", "http://user@münchen.de:8080/a"},
        {"xn--bcher-kva.example", "bücher.example"},
        {"https://bank.example/xn--fiqs8s", std::nullopt},  // only the host counts
        {"https://bank.example/", std::nullopt},
        {"https://xn--.example/", std::nullopt},                 // empty label
        {"https://xn--99999999999999a.example/", std::nullopt},  // overflows
        {"https://xn--ab_c.example/", std::nullopt},             // no digit of the code
        // Labels that stand for plain ASCII are second names of hosts that have one: left as read.
        {"https://xn--bank-.com/", std::nullopt},
        {"https://XN--BANK-.com/", std::nullopt},
        {"https://xn--bank-.xn--fiqs8s/", std::nullopt},  // one such label leaves the whole host
        // Not the one encoding of what it decodes to (the delimiter before an empty ASCII part).
        {"https://xn---fiqs8s.com/", std::nullopt},
        {"https://xn--bank-3ra.com/", "https://bankü.com/"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(WithUnicodeHost(in), out) << in;
}

TEST(IsBrowserProgram, OnlyTheBrowsersOwnProgramsAreRead) {
    struct Case {
        const char* reader;
        const char* exe;
        bool read;
        const char* name;
    };
    const Case cases[] = {
        {"Chrome", "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe", true, "Chrome"},
        {"Chrome", "C:\\Program Files (x86)\\Microsoft\\Edge\\Application\\MSEDGE.EXE", true, "Edge"},
        {"Chrome", "brave.exe", true, "Brave"},
        {"Chrome", "D:/apps/vivaldi.exe", true, "Vivaldi"},
        {"Opera16", "C:\\Users\\u\\AppData\\Local\\Programs\\Opera\\opera.exe", true, "Opera"},
        {"Chrome", "opera.exe", false, "Opera"},
        {"firefox", "C:\\Program Files\\Mozilla Firefox\\firefox.exe", true, "Firefox"},
        {"Internet Explorer", "iexplore.exe", true, "Internet Explorer"},
        // Programs on the same window classes.
        {"Chrome", "C:\\Users\\u\\AppData\\Local\\slack\\app-4.0\\slack.exe", false, ""},
        {"Chrome", "Code.exe", false, ""},
        {"firefox", "thunderbird.exe", false, ""},
        {"Chrome", "chrome.exe.bak", false, ""},
        {"Chrome", "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reader) + " " + c.exe);
        EXPECT_EQ(IsBrowserProgram(c.reader, c.exe), c.read);
        EXPECT_EQ(BrowserProgramName(c.exe), c.name);
    }
}

TEST(IsWebPageAddress, DeveloperToolsAndTheBrowsersOwnPagesAreNoPages) {
    for (const char* page : {"https://bank.example/", "HTTP://a", "file:///C:/a.html", "ftp://f/"})
        EXPECT_TRUE(IsWebPageAddress(page)) << page;
    for (const char* other : {"devtools://devtools/bundled/inspector.html", "chrome://settings/", "about:blank",
                              "chrome://browser/content/places/bookmarksSidebar.xhtml",
                              "moz-extension://x/sidebar.html", "bank.example/login", ""})
        EXPECT_FALSE(IsWebPageAddress(other)) << other;
}

TEST(Outranks, ThePageIsTheShownWebDocumentTakingTheMostRoom) {
    struct Case {
        const char* a;
        long long areaA;
        const char* b;
        long long areaB;
        bool aWins;
    };
    const Case cases[] = {
        // Docked developer tools, larger than the page, and a side bar: the page.
        {"https://bank.example/", 100, "devtools://devtools/bundled/devtools_app.html", 500, true},
        {"chrome://browser/content/places/bookmarksSidebar.xhtml", 500, "https://bank.example/", 100, false},
        // Split view: the larger half; no place to tell counts as no room.
        {"https://a.example/", 300, "https://b.example/", 200, true},
        {"https://a.example/", 0, "https://b.example/", 1, false},
        // A new tab page alone is still read, below any web page.
        {"chrome://newtab/", 500, "about:blank", 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(Outranks(RankPage(c.a, c.areaA), RankPage(c.b, c.areaB)), c.aWins);
        EXPECT_EQ(Outranks(RankPage(c.b, c.areaB), RankPage(c.a, c.areaA)), !c.aWins);
    }
}

}  // namespace
}  // namespace tf
