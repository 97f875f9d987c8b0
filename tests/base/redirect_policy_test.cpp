#include "base/redirect_policy.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(RedirectTarget, FollowsOnlyHttpsOnTheSameOrANamedHost) {
    const std::vector<std::string> named = {"Mirror.example"};
    const char* const from = "https://good.example/a/b.exe?x=1";
    const struct {
        const char* from;
        const char* location;
        const char* target;  // nullptr: refused
    } cases[] = {
        {from, "https://good.example/c.exe", "https://good.example/c.exe"},
        {"http://good.example:8080/v", "https://good.example/v", "https://good.example/v"},
        {from, "https://good.example:8443/c", "https://good.example:8443/c"},
        {from, "HTTPS://GOOD.Example/c#top", "https://good.example/c"},
        {from, "https://mirror.EXAMPLE/c", "https://mirror.example/c"},
        {from, "/c.exe?y=2", "https://good.example/c.exe?y=2"},
        {from, "c.exe", "https://good.example/a/c.exe"},
        {from, "//good.example/c", "https://good.example/c"},
        {from, "http://good.example/c.exe", nullptr},
        {"http://good.example/v", "/c", nullptr},  // relative to plain http stays plain http
        {from, "https://evil.example/c.exe", nullptr},
        {from, "//evil.example/c", nullptr},
        {from, "https://good.example.evil.example/", nullptr},
        {from, "https://good@evil.example/", nullptr},
        {from, "https://evil.example@good.example/", nullptr},
        {from, "https://good.example\\@evil.example/", nullptr},
        {from, "https://good.example:99999/c", nullptr},
        {from, "https://good.example/c\r\nCookie: x", nullptr},
        {from, "https:evil.example/c", nullptr},
        {from, "ftp://good.example/c", nullptr},
        {from, "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.location));
        const std::optional<std::string> target = RedirectTarget(c.from, c.location, named);
        EXPECT_EQ(target.value_or("<refused>"), c.target ? c.target : "<refused>");
    }
}

}  // namespace
}  // namespace tf
