#include "records/record_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>

namespace tf {
namespace {

LoginRecord Record(std::string site, std::string url, std::string account, std::string password = "pw",
                   std::string coding = "") {
    LoginRecord r;
    r[kSiteName] = site;
    r[kLoginUrl] = std::move(url);
    r[kAccount] = std::move(account);
    r[kPassword] = std::move(password);
    r[kRemark] = "remark BJ 9";  // never searched
    r[kCoding] = coding.empty() ? site : coding;
    return r;
}

RecordGrid Grid(const std::vector<LoginRecord>& records) {
    RecordGrid grid;
    grid.FillGrid(records);
    return grid;
}

// The site names of the rows left shown, e.g. "北京银行 Bing".
std::string Shown(const RecordGrid& grid) {
    std::string out;
    for (int r = kFirstRecordRow; r < grid.Rows(); ++r) {
        if (!grid.RowHidden(r)) out += (out.empty() ? "" : " ") + grid.Cell(r, kSiteName);
    }
    return out;
}

TEST(FilterGrid, ShowsRowsWhoseSearchedCellsMatch) {
    RecordGrid grid =
        Grid({Record("北京银行", "http://bank.example/", "zhang", "BJ", "bjyx"),
              Record("Bing", "http://bing.example/?q=1", "li"), Record("a[1]", "http://a.example/", "wang#")});
    const std::pair<const char*, const char*> cases[] = {
        {"bj", "北京银行"},  // through the pinyin key
        {"BJ", ""},          // case counts; password and remark are not searched
        {"Bi?g", "Bing"},
        {"=#", "Bing"},
        {"[x-z]h", "北京银行"},
        {"g[!.]", "a[1]"},  // every other g ends its cell or stands before "."
        {"[1", "a[1]"},     // an unclosed "[" is looked for as it stands
        {"nowhere", ""},
        {"", "北京银行 Bing a[1]"},
        {kSearchPlaceholder, "北京银行 Bing a[1]"},
    };
    for (const auto& [text, shown] : cases) {
        SCOPED_TRACE(text);
        FilterGrid(grid, "nowhere");
        FilterGrid(grid, text);
        EXPECT_EQ(Shown(grid), shown);
    }
    EXPECT_EQ(grid.RecordCount(), 3);
}

TEST(FindAccounts, FillsTheSlotsFromMatchingAddresses) {
    const std::string a = "http://a.example/";
    struct Case {
        const char* name;
        std::vector<LoginRecord> records;
        std::string address;
        CredentialSlots slots;
    };
    const Case cases[] = {
        {"one", {Record("x", "http://b/", "b1"), Record("x", a, "a1", "p1")}, a, {"a1", "p1", "", "", a}},
        {"two", {Record("x", a, "a1", "p1"), Record("x", a, "a2", "p2")}, a, {"a1", "p1", "a2", "p2", a}},
        {"three",
         {Record("x", a, "a1", "p1"), Record("x", a, "a2", "p2"), Record("x", " " + a, "a3", "p3")},
         " " + a + "  ",
         {"a1", "p1", "a3", "p3", " " + a}},  // spaces trimmed for comparing, kept when copied
        {"blank password", {Record("x", a, "a1", "  "), Record("x", a, "a2", "p2")}, a, {"a2", "p2", "", "", a}},
        {"none", {Record("x", a, "a1")}, "http://a.example", {}},
        {"case", {Record("x", a, "a1")}, "HTTP://A.EXAMPLE/", {}},
        {"spaces only", {Record("x", "  ", "a1")}, "   ", {}},
        {"literal",
         {Record("x", "http://s/x=1", "w1"), Record("x", "http://s/?[#]", "a1", "p1")},
         "http://s/?[#]",
         {"a1", "p1", "", "", "http://s/?[#]"}},
        {"wildcards do not match", {Record("x", "http://s/x", "w1")}, "http://s/?", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordGrid grid = Grid(c.records);
        EXPECT_EQ(FindAccounts(grid, c.address), c.slots);
        FilterGrid(grid, "nowhere");  // hidden rows take part
        EXPECT_EQ(FindAccounts(grid, c.address), c.slots);
    }
}

TEST(FindAccounts, AnyFormOfTheAddressMatchesInOnePassOverTheRecords) {
    const std::string lit = "https://bank/login", norm = "http://bank/login";
    const RecordGrid grid =
        Grid({Record("x", lit, "a1", "  "), Record("x", norm, "a2", "p2"), Record("x", "http://other/", "o", "po"),
              Record("x", " " + lit, "a3", "p3"), Record("x", norm, "a4", "p4")});
    struct Case {
        const char* name;
        std::initializer_list<std::string_view> forms;
        CredentialSlots slots;
    };
    const Case cases[] = {
        // Grid order decides, whichever form a record matched.
        {"both forms", {lit, norm}, {"a2", "p2", "a4", "p4", norm}},
        {"order of the forms does not count", {norm, lit}, {"a2", "p2", "a4", "p4", norm}},
        {"literal only", {lit, ""}, {"a3", "p3", "", "", " " + lit}},
        {"one record matching two equal forms counts once",
         {"http://other/", " http://other/"},
         {"o", "po", "", "", "http://other/"}},
        {"blank forms look nothing up", {"", "  "}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindAccounts(grid, c.forms), c.slots);
    }
}

bool AllZero(const char* data, std::size_t size) {
    return std::all_of(data, data + size, [](char c) { return c == 0; });
}

TEST(CredentialSlots, GivingThemNewTextsWipesTheOldOnes) {
    const std::string secret = "a password longer than the small-string room";
    // Copied over: a shorter new text reuses the room, whose old end must not keep the password.
    CredentialSlots slots("me", secret);
    const char* room = slots.Text2.data();
    const CredentialSlots next("you", "pw");
    slots = next;
    EXPECT_EQ(slots, next);
    if (slots.Text2.data() == room) {
        EXPECT_TRUE(AllZero(room + 3, secret.size() - 3));
    }

    // Moved over: the old room may go to the text moved from (it does in libstdc++), wiped.
    CredentialSlots moved("me", secret);
    room = moved.Text2.data();
    CredentialSlots source("you", std::string(secret.size(), 'x'));
    moved = std::move(source);
    EXPECT_EQ(moved.Text2, std::string(secret.size(), 'x'));
    if (source.Text2.data() == room) {
        EXPECT_TRUE(AllZero(room, secret.size()));
    }

    // A later match in the lookup replaces the earlier one's texts.
    CredentialSlots wiped("me", secret, "a", "b", "c");
    room = wiped.Text2.data();
    wiped.Wipe();
    EXPECT_EQ(wiped, CredentialSlots());
    ASSERT_EQ(wiped.Text2.data(), room);
    EXPECT_TRUE(AllZero(room, secret.size()));
}

TEST(CredentialSlots, DroppingThemWipesTheirTexts) {
    // A short password lives inside the object itself: look at the object's room after it is gone.
    alignas(CredentialSlots) unsigned char room[sizeof(CredentialSlots)];
    auto* slots = new (room) CredentialSlots("me", "pw-9f3k");
    slots->~CredentialSlots();
    const std::string_view bytes(reinterpret_cast<const char*>(room), sizeof room);
    EXPECT_EQ(bytes.find("pw-9f3k"), std::string_view::npos);
}

}  // namespace
}  // namespace tf
