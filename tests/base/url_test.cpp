#include "base/url.h"

#include <gtest/gtest.h>

#include <random>

namespace tf {
namespace {

TEST(ParseUrl, SplitsAddressesWithOrWithoutAScheme) {
    const std::pair<const char*, UrlParts> cases[] = {
        {"intranet:8080/a?b#c", {"http", "intranet", "8080", "/a", "b", "c"}},
        {"", {"http", "", "", "", "", ""}},
        {"news:comp.lang", {"news", "", "", "comp.lang", "", ""}},
        {"intranet/login", {"http", "intranet", "", "/login", "", ""}},
        {"host?q=1", {"http", "host", "", "", "q=1", ""}},
        {"HTTP://Host", {"HTTP", "Host", "", "", "", ""}},  // any letter case counts as a scheme
        {"Ftp://x/y", {"Ftp", "x", "", "/y", "", ""}},
        {"https://bank/login#top", {"https", "bank", "", "/login", "", "top"}},
        {"mailto:a@b", {"http", "mailto", "", "a@b", "", ""}},  // not a known scheme: a host
        {"h:12x/p", {"http", "h", "12", "x/p", "", ""}},
        {"a\nhttp://x", {"a\nhttp", "x", "", "", "", ""}},  // a later line may carry the scheme
        {"a\rNEWS:x", {"a\rNEWS", "", "", "x", "", ""}},
        {"a\fhttp://x", {"http", "a\fhttp", "", "//x", "", ""}},  // no line break
        {"x#f\ng", {"http", "x", "", "", "", "f"}},               // the fragment stops at a line break
    };
    for (const auto& [address, parts] : cases) {
        SCOPED_TRACE(testing::PrintToString(address));
        EXPECT_EQ(ParseUrl(address), parts);
    }
}

TEST(ParseUrl, ScanAgreesWithTheRegularExpression) {
    const char* const pieces[] = {"a", "Z", "7", ":", "/", "//", "?", "#", "\n", "\r", "中", "http://", "news:", "0"};
    std::mt19937 random(11);
    for (int i = 0; i < 5000; ++i) {
        std::string address;
        for (int n = static_cast<int>(random() % 14); n > 0; --n) address += pieces[random() % std::size(pieces)];
        SCOPED_TRACE(testing::PrintToString(address));
        EXPECT_EQ(SplitUrlByScan(address), SplitUrlWithRegex(address));
    }
}

TEST(ParseUrl, VeryLongAddressIsSplitWithoutExhaustingTheStack) {
    const std::string path = "/" + std::string(200000, 'p');
    const UrlParts parts = ParseUrl("example.test:81" + path + "?" + std::string(100000, 'q') + "#f");
    EXPECT_EQ(parts, (UrlParts{"http", "example.test", "81", path, std::string(100000, 'q'), "f"}));
}

}  // namespace
}  // namespace tf
