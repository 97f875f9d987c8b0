#include "records/login_import.h"

#include <gtest/gtest.h>

#include "base/csv.h"
#include "records/record_editor.h"
#include "vault/fake_file_system.h"

namespace tf {
namespace {

LoginRecord Record(std::string site, std::string url, std::string account, std::string password) {
    LoginRecord r;
    r[kSiteName] = std::move(site);
    r[kLoginUrl] = std::move(url);
    r[kAccount] = std::move(account);
    r[kPassword] = std::move(password);
    return r;
}

ImportPlan Plan(const std::string& bytes, const std::vector<LoginRecord>& records = {}) {
    ImportPlanResult result = PlanImport(bytes, records);
    EXPECT_TRUE(result.plan) << result.error;
    return result.plan.value_or(ImportPlan{});
}

const char kOwnHeader[] = "name,url,username,password,note,tamborvin_mailbox,tamborvin_question,tamborvin_answer\r\n";

TEST(PlanImport, RecognisesEachKindByItsHeaderAndMapsItsColumns) {
    const struct {
        std::string csv;
        ImportKind kind;
        LoginRecord expected;  // SiteName .. Coding
    } cases[] = {
        {"name,url,username,password\n百度,https://www.baidu.com/login,u1,p1\n",
         ImportKind::kChrome,
         {{"", "百度", "https://www.baidu.com/login", "u1", "p1", "", "", "", "", "bd"}}},
        {" Name ,URL,UserName,\tpassword ,NOTE\nMail,HTTP://mail.example.com,u,p,备注\n",
         ImportKind::kChrome,
         {{"", "Mail", "http://mail.example.com/", "u", "p", "", "", "", "备注", "Mail"}}},
        {"url,username,password,httpRealm,formActionOrigin,guid,timeCreated,timeLastUsed,timePasswordChanged\n"
         "HTTPS://bank.example,alice,pw,,https://bank.example,{1-2},1,2,3\n",
         ImportKind::kFirefox,
         {{"", "bank.example", "https://bank.example/", "alice", "pw", "", "", "", "", "bank.example"}}},
        {"folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n"
         ",1,login,Shop,n,,0,\"https://shop.example/a,https://shop.example/b\",bob,pw2,\n",
         ImportKind::kBitwarden,
         {{"", "Shop", "https://shop.example/a", "bob", "pw2", "", "", "", "n", "Shop"}}},
        {"Group,Title,Username,Password,URL,Notes,TOTP,Icon,Last Modified,Created\n"
         "Root,论坛,carol,pw3,https://bbs.example/,r,,0,x,y\n",
         ImportKind::kKeePassXc,
         {{"", "论坛", "https://bbs.example/", "carol", "pw3", "", "", "", "r", "lt"}}},
        {"Account,Login Name,Password,Web Site,Comments\nWiki,dave,pw4,https://wiki.example/w,c\n",
         ImportKind::kKeePass2,
         {{"", "Wiki", "https://wiki.example/w", "dave", "pw4", "", "", "", "c", "Wiki"}}},
        {"Title,URL,Username,Password,Notes,OTPAuth\nSite,https://site.example/,erin,pw5,n5,otpauth://x\n",
         ImportKind::kSafari,
         {{"", "Site", "https://site.example/", "erin", "pw5", "", "", "", "n5", "Site"}}},
        {std::string(kOwnHeader) + "网,http://a.example/,f,pw6,r,m@x,q,a\r\n",
         ImportKind::kOwn,
         {{"", "网", "http://a.example/", "f", "pw6", "m@x", "q", "a", "r", "w"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.csv);
        const ImportPlan plan = Plan(c.csv);
        EXPECT_EQ(plan.kind, c.kind);
        ASSERT_EQ(plan.rows.size(), 1u);
        EXPECT_EQ(plan.rows[0].row, 2u);
        EXPECT_EQ(plan.rows[0].action, ImportAction::kAdd) << plan.rows[0].reason;
        EXPECT_EQ(plan.rows[0].record, c.expected);
    }
}

TEST(PlanImport, RefusesAFileItCannotReadWithTheReason) {
    const std::string kinds =
        "Chrome / Edge / Brave / Opera、Firefox、Bitwarden、KeePassXC、KeePass 2、Safari、"
        "本程序导出的文件。";
    const std::pair<std::string, std::string> cases[] = {
        {"", kImportEmptyFile},
        {"\xEF\xBB\xBF\r\n\r\n", kImportEmptyFile},
        {"name,url,username\na,b,c\n", kImportUnknownKind + kinds},
        {"url,username,password\n", kImportUnknownKind + kinds},
        {"Title,URL,Username,Password,Notes\n", kImportUnknownKind + kinds},
        {"name,url,username,password,note,extra\n", kImportUnknownKind + kinds},
        {"name,url,username,password\nok,https://a/,u,p\nbad,https://b/,u,\xC3\x28\n",
         csv::RowText(3, csv::kMsgBadText)},
        {"name,url,username,password\nok,https://a/,u,\"p\n", csv::RowText(2, csv::kMsgUnclosedQuote)},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(bytes);
        const ImportPlanResult result = PlanImport(bytes, {});
        EXPECT_FALSE(result.plan);
        EXPECT_EQ(result.error, message);
    }
    EXPECT_TRUE(Plan("name,url,username,password\r\n").rows.empty());
}

TEST(PlanImport, ListsEveryRowItCannotImportWithItsReason) {
    const std::string longUrl = "https://a.example/" + std::string(kMaxImportUrlBytes, 'x');
    const struct {
        std::string row;
        const char* reason;
    } cases[] = {
        {"App,android://key@com.app/,u,secret,n", kImportReasonNoWebAddress},
        {"Ftp,ftp://files.example/,u,secret,n", kImportReasonNoWebAddress},
        {"None,,u,secret,n", kImportReasonNoWebAddress},
        {"Bare,bank.example,u,secret,n", kImportReasonNoWebAddress},
        {"Empty,https://,u,secret,n", kImportReasonNoWebAddress},
        {"Long," + longUrl + ",u,secret,n", kImportReasonUrlTooLong},
        {"Short,https://a.example/,u,secret", kImportReasonColumns},
        {"Wide,https://a.example/,u,secret,n,more", kImportReasonColumns},
        {"Emoji,https://a.example/,u,secret😀,n", "含有本程序无法保存的字符：登录密码"},
        {"Emoji,https://a.example/,u😀,secret,n", "含有本程序无法保存的字符：登录账号"},
        {"Name😀,https://a.example/,u,secret,n", "含有本程序无法保存的字符：网站名称"},
        {"Note,https://a.example/,u,secret,😀", "含有本程序无法保存的字符：备注"},
    };
    std::string csv = "name,url,username,password,note\n";
    for (const auto& c : cases) csv += c.row + "\n";
    const ImportPlan plan = Plan(csv);
    ASSERT_EQ(plan.rows.size(), std::size(cases));
    EXPECT_EQ(plan.cannotImport, std::size(cases));
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        SCOPED_TRACE(cases[i].row.substr(0, 60));
        const ImportRow& row = plan.rows[i];
        EXPECT_EQ(row.row, i + 2);
        EXPECT_EQ(row.action, ImportAction::kCannotImport);
        EXPECT_EQ(row.reason, cases[i].reason);
        EXPECT_TRUE(row.record[kPassword].empty());  // what the window may show has no password
    }
    EXPECT_EQ(ImportRowText(3, plan.rows[1].reason), std::string("第 3 行：") + kImportReasonNoWebAddress);
}

TEST(PlanImport, ComparesAddressAndAccountThenPasswordAlsoWithinTheFile) {
    const std::vector<LoginRecord> vault = {
        Record("Bank", "http://bank.example/", "acc", "pw1"), Record("Mail", "https://mail.example/", "u", "pw"),
        Record("Twin", "http://twin.example/", "t", "a"), Record("Twin", "http://twin.example/", "t", "b")};
    const struct {
        const char* row;
        ImportAction action;
        std::size_t target, earlierRow;
    } cases[] = {
        {"B,https://bank.example/,acc,pw1", ImportAction::kAlreadyThere, 0, 0},  // either scheme
        {"B,https://bank.example,acc,pw2", ImportAction::kUpdate, 0, 0},
        {"B,https://bank.example/,acc,pw2", ImportAction::kAlreadyThere, 0, 3},
        {"N,https://new.example/,x,p", ImportAction::kAdd, 4, 0},
        {"N,https://new.example/,x,q", ImportAction::kUpdate, 4, 5},
        {"N,https://new.example/,X,q", ImportAction::kAdd, 5, 0},  // accounts compare exactly
        {"M,http://mail.example/,u,pw", ImportAction::kAlreadyThere, 1, 0},
        {"T,http://twin.example/,t,b", ImportAction::kAlreadyThere, 3, 0},  // any of the same place
        {"T,http://twin.example/,t,c", ImportAction::kUpdate, 2, 0},        // else the first
    };
    std::string csv = "name,url,username,password\n";
    for (const auto& c : cases) csv += std::string(c.row) + "\n";
    const ImportPlan plan = Plan(csv, vault);
    ASSERT_EQ(plan.rows.size(), std::size(cases));
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        SCOPED_TRACE(cases[i].row);
        EXPECT_EQ(plan.rows[i].action, cases[i].action);
        EXPECT_EQ(plan.rows[i].target, cases[i].target);
        EXPECT_EQ(plan.rows[i].earlierRow, cases[i].earlierRow);
    }
    EXPECT_EQ(ImportTotalsText(plan), "添加 2 条，已存在 4 条，更新密码 3 条，无法导入 0 条");

    const auto after = ApplyImport(vault, plan);
    ASSERT_TRUE(after);
    std::vector<std::string> passwords, lineNums;
    for (const LoginRecord& r : *after) {
        passwords.push_back(r[kPassword]);
        lineNums.push_back(r[kLineNum]);
    }
    EXPECT_EQ(passwords, (std::vector<std::string>{"pw2", "pw", "c", "b", "q", "q"}));
    EXPECT_EQ(lineNums, (std::vector<std::string>{"", "", "", "", "6", "7"}));
    EXPECT_EQ((*after)[0][kLoginUrl], "http://bank.example/");          // an update changes the password only
    EXPECT_FALSE(ApplyImport({vault.begin(), vault.end() - 1}, plan));  // not the list it was made for
}

TEST(ExportLoginsCsv, ReadsBackEveryFieldWhole) {
    std::vector<LoginRecord> vault;
    const char* const sites[] = {"中文,名称", "say \"hi\"", "two\r\nlines", " blank "};
    for (const char* site : sites) {
        const std::string s = site;
        const EditorBoxes boxes = {s,          "https://例子.example/p,\"q\"\nr?x=" + s,
                                   s + "账号", s + "密码",
                                   s + "@m",   s + "问题",
                                   s + "答案", s + "备注\n"};
        EditorOutcome outcome = AcceptEditor(boxes, std::to_string(vault.size() + 2));
        ASSERT_FALSE(outcome.refusal) << *outcome.refusal;
        vault.push_back(outcome.record);
    }
    const std::string bytes = ExportLoginsCsv(vault);
    EXPECT_TRUE(bytes.starts_with(std::string(csv::kUtf8Mark) + kOwnHeader));

    const ImportPlan plan = Plan(bytes);
    EXPECT_EQ(plan.kind, ImportKind::kOwn);
    EXPECT_EQ(plan.adds, vault.size());
    EXPECT_EQ(ApplyImport({}, plan), vault);
    EXPECT_EQ(Plan(bytes, vault).alreadyThere, vault.size());
}

TEST(ReadImportFile, RefusesAFileOverTheLimitBeforeReadingIt) {
    testing::FakeFileSystem fs;
    fs.files["big.csv"] = std::string(csv::kMaxFileBytes + 1, 'x');
    fs.files["ok.csv"] = "a";
    std::string message;
    EXPECT_FALSE(ReadImportFile(fs, "big.csv", message));
    EXPECT_EQ(message, csv::kMsgFileTooLarge);
    EXPECT_EQ(fs.calls, std::vector<std::string>{"Length(big.csv)"});
    EXPECT_EQ(ReadImportFile(fs, "ok.csv", message), "a");
    EXPECT_FALSE(ReadImportFile(fs, "none.csv", message));
    EXPECT_EQ(message, std::string(kImportFileMissing) + "File not found");
}

}  // namespace
}  // namespace tf
