#include "support/program_test_win.h"

#include <commctrl.h>

namespace tf::test {

LoginRecord SampleRecord(const std::string& site, const std::string& url, const std::string& account,
                         const std::string& password, const std::string& remark) {
    LoginRecord r;
    r[kSiteName] = site;
    r[kLoginUrl] = url;
    r[kAccount] = account;
    r[kPassword] = password;
    r[kMailbox] = account + "@mail.example";
    r[kQuestion] = "问题";
    r[kAnswer] = "答案";
    r[kRemark] = remark;
    r[kCoding] = site;
    return r;
}

std::vector<LoginRecord> Numbered(std::vector<LoginRecord> records) {
    for (std::size_t i = 0; i < records.size(); ++i) records[i][kLineNum] = std::to_string(i + 2);
    return records;
}

std::vector<LoginRecord> FourRecords() {
    return Numbered({SampleRecord("中国银行", "http://www.boc.example/login", "zhang", "p@ss,1"),
                     SampleRecord("mail", "http://mail.example/", "li", "\"quoted\""),
                     SampleRecord("淘宝", "http://taobao.example/member/login.jhtml", "wang", "密码123"),
                     SampleRecord("forum", "http://forum.example/?a=1&b=2", "zhao", "x", "line1\r\nline2")});
}

void ProgramTest::StartProgram() {
    exe_ = folder_.CopyProgram(kProgram);
    program_ = std::make_unique<Process>(exe_, folder_.Path());
    FindMainWindow();
}

void ProgramTest::FindMainWindow() {
    main_ = program_->WaitForTopWindow(kMainClass);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
    grid_ = FindChild(main_, WC_LISTVIEWW, L"");
    ASSERT_NE(grid_, nullptr) << "no record grid";
    list_ = std::make_unique<RemoteListView>(grid_);
}

HWND ProgramTest::Control(const std::wstring& text) {
    HWND control = FindChild(main_, L"", text);
    EXPECT_NE(control, nullptr) << "no control " << Narrow(text);
    return control;
}

void ProgramTest::ExitProgram() {
    PostCommand(Control(L"关闭"));
    auto code = program_->WaitForExit();
    ASSERT_TRUE(code.has_value()) << "the program did not end";
}

std::vector<std::wstring> ProgramTest::Column(int column) {
    std::vector<std::wstring> values;
    for (int r = 0; r < list_->RowCount(); ++r) values.push_back(list_->Text(r, column));
    return values;
}

}  // namespace tf::test
