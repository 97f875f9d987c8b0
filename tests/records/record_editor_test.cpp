#include "records/record_editor.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

TEST(NormaliseLoginUrl, PutsOneSchemeInFrontAndSlashWhenThereIsNoPath) {
    const std::pair<const char*, NormalisedUrl> cases[] = {
        {"http://", {"http:///", ""}},  // the new-record box untouched
        {"bank", {"http://bank/", ""}},
        // An address that says https keeps it: its record is matched by https pages only.
        {"https://bank/login", {"https://bank/login", "/login"}},
        {"https://bank", {"https://bank/", ""}},
        {"https://bank/", {"https://bank/", "/"}},
        {"http://https://bank/login", {"https://bank/login", "/login"}},  // pasted after the box's "http://"
        {"https://http://bank/", {"https://bank/", "/"}},
        {"bank/https://x", {"http://bank/x", "/x"}},  // only the scheme in front counts
        {"https://bank?u=https://x", {"https://bank?u=x/", ""}},
        {"HTTPS://bank", {"http://HTTPS://bank/", ""}},  // case-sensitive, as the removal is
        {"http://bank", {"http://bank/", ""}},
        {"HTTP://Host", {"http://HTTP://Host/", ""}},  // not stripped: the case differs
        {"host?q=1", {"http://host?q=1/", ""}},        // "/" at the very end
        {"ftp://x/y", {"http://ftp://x/y", "/y"}},
        {"intranet:8080", {"http://intranet:8080/", ""}},
        {"http://bank/", {"http://bank/", "/"}},         // a stored address stays as it is
        {"http://host?q=1/", {"http://host?q=1/", ""}},  // normal already: no second "/"
        {"http://host#top/", {"http://host#top/", ""}},
        {"http://HTTP://Host/", {"http://HTTP://Host/", "/"}},
        // Removing a scheme, or adding the "/", can make another one: that goes as well, so that
        // the result is normal, and normalising it again changes nothing.
        {"hthttp://tp://x", {"http://x/", ""}},
        {"htthttp://p://bank.com", {"http://bank.com/", ""}},
        {"htthttps://p://bank.com", {"http://bank.com/", ""}},
        {"https://htthttps://p://bank.com", {"https://bank.com/", ""}},
        {"#http:/", {"http://#/", ""}},
        {"?https:/", {"http://?/", ""}},
        {"http://https://#http:/", {"https://#/", ""}},
        {"https://#http:/", {"https://#http:/", ""}},  // normal already: the "/" may be the rule's
    };
    for (const auto& [address, normalised] : cases) {
        SCOPED_TRACE(address);
        const NormalisedUrl got = NormaliseLoginUrl(address);
        EXPECT_EQ(got.url, normalised.url);
        EXPECT_EQ(got.path, normalised.path);
        // Every later OK leaves the address as the first one stored it.
        EXPECT_TRUE(IsNormalLoginUrl(got.url));
        EXPECT_EQ(NormaliseLoginUrl(got.url).url, got.url);
    }
}

TEST(NormaliseLoginUrl, PlainFormIsTheOneEveryAddressHadBefore) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://bank/login", "http://bank/login"},
        {"http://https://bank/login", "http://bank/login"},
        {"https://bank", "http://bank/"},
        {"http://bank/", "http://bank/"},
        {"#http:/", "http://#/"},
    };
    for (const auto& [address, plain] : cases) {
        SCOPED_TRACE(address);
        EXPECT_EQ(NormaliseLoginUrl(address, LoginScheme::kPlain).url, plain);
        EXPECT_EQ(NormaliseLoginUrl(plain, LoginScheme::kPlain).url, plain);
        // A stored address in the plain form is left alone by the editor too.
        EXPECT_EQ(NormaliseLoginUrl(plain).url, plain);
    }
    EXPECT_EQ(NormaliseLoginUrl("bank/x", LoginScheme::kSecure).url, "https://bank/x");
    EXPECT_EQ(NormaliseLoginUrl("http://bank/x", LoginScheme::kSecure).url, "https://bank/x");
}

EditorBoxes Boxes(std::string name, std::string url, std::string password = "pw", std::string remark = "") {
    EditorBoxes boxes = NewRecordBoxes();
    boxes[0] = std::move(name);
    boxes[1] = std::move(url);
    boxes[3] = std::move(password);
    boxes[7] = std::move(remark);
    return boxes;
}

TEST(AcceptEditor, RefusesInOrderAndNamesTheBox) {
    struct Case {
        EditorBoxes boxes;
        std::string refusal;
        int focus;
    };
    const std::string cannot = " contains a character that cannot be stored (\U0001F600). Please remove it.";
    const Case cases[] = {
        {Boxes("", ""), kEnterSiteName, 0},  // the name is looked at before the address
        {Boxes("", "bank"), kEnterSiteName, 0},
        {Boxes(" ", ""), kEnterLoginUrl, 1},
        // The password's own character is not shown.
        {Boxes("a", "bank", "p\U0001F600"),
         "The Login Password contains a character that cannot be stored. Please remove it.", 3},
        {Boxes("\U0001F600", "\U0001F600", "\U0001F600"), "The Site Name" + cannot, 0},
        {Boxes("a", "bank/\U0001F600"), "The Login URL" + cannot, 1},
        {Boxes("a", "bank", "pw", "\U0001F600"), "The Remark" + cannot, 7},  // the last box too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal);
        const EditorOutcome outcome = AcceptEditor(c.boxes, "3");
        EXPECT_EQ(outcome.refusal, c.refusal);
        EXPECT_EQ(outcome.focusBox, c.focus);
    }
}

TEST(AcceptEditor, BuildsTheRecordUntrimmedWithItsPinyinKey) {
    EditorBoxes boxes = {"中国银行", "www.boc.example", " zhang ", "p w", "z@boc.example", "q?", "a!", "备注"};
    EditorOutcome outcome = AcceptEditor(boxes, "7");
    ASSERT_FALSE(outcome.refusal.has_value());
    EXPECT_EQ(outcome.url.url, "http://www.boc.example/");
    LoginRecord expected;
    expected.fields = {"7",    "中国银行", "http://www.boc.example/", " zhang ", "p w", "z@boc.example", "q?", "a!",
                       "备注", "zgyx"};  // 行 is read xing here
    EXPECT_EQ(outcome.record, expected);
    // Opening the stored record again and pressing OK changes nothing.
    EXPECT_EQ(AcceptEditor(EditorBoxesFor(outcome.record), "7").record, expected);

    outcome = AcceptEditor(Boxes("  ", "http://"), "");
    EXPECT_FALSE(outcome.refusal.has_value());
    EXPECT_EQ(outcome.record[kLoginUrl], "http:///");
    EXPECT_EQ(outcome.record[kCoding], "  ");
    EXPECT_EQ(AcceptEditor(Boxes("GitHub 2", "x"), "").record[kCoding], "GitHub 2");

    // The address keeps its https, and so does every later OK.
    outcome = AcceptEditor(Boxes("bank", "https://bank.example/login"), "");
    EXPECT_EQ(outcome.record[kLoginUrl], "https://bank.example/login");
    EXPECT_EQ(AcceptEditor(EditorBoxesFor(outcome.record), "").record[kLoginUrl], "https://bank.example/login");
}

TEST(KeepUntouchedBoxes, UntouchedBoxesKeepWhatTheRecordHoldsAndChangedOnesGiveTheirText) {
    LoginRecord stored;
    stored.fields = {"3", "银行\r\n总行", "http://bank/", "zhang", "pa\r\nss", "", "q", "a", "line1\r\nline2", "yh"};
    const EditorBoxes filled = EditorBoxesFor(stored);
    // What one-line boxes show of it: the text up to the line break.
    EditorBoxes shown = filled;
    shown[0] = "银行";
    shown[3] = "pa";

    // OK without touching anything gives the record back whole.
    EXPECT_EQ(KeepUntouchedBoxes(shown, shown, filled), filled);
    LoginRecord expected = stored;
    expected[kCoding] = "yx\r\nzx";
    EXPECT_EQ(AcceptEditor(KeepUntouchedBoxes(shown, shown, filled), "3").record, expected);
    // An untouched address box keeps the stored text even where the rule would change it.
    stored[kLoginUrl] = expected[kLoginUrl] = "bank";
    EXPECT_EQ(AcceptEditor(EditorBoxesFor(stored), "3", true).record, expected);
    EXPECT_EQ(AcceptEditor(EditorBoxesFor(stored), "3").record[kLoginUrl], "http://bank/");

    // A changed box gives what the user typed, even where that is what the record held cut short
    // plus more, or nothing at all.
    EditorBoxes typed = shown;
    typed[3] = "pa2";
    typed[2] = "";
    typed[7] = "line1";
    EditorBoxes got = KeepUntouchedBoxes(typed, shown, filled);
    EXPECT_EQ(got[3], "pa2");
    EXPECT_EQ(got[2], "");
    EXPECT_EQ(got[7], "line1");
    EXPECT_EQ(got[0], "银行\r\n总行");

    // Add mode: the boxes show what they were filled with, so every box gives its text.
    typed = NewRecordBoxes();
    typed[0] = "new";
    EXPECT_EQ(KeepUntouchedBoxes(typed, NewRecordBoxes(), NewRecordBoxes()), typed);
}

}  // namespace
}  // namespace tf
