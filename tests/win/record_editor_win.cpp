// Adding, editing and finding records in the real program, through its editor window and search
// box, typed as a user types.
#include "support/program_test_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "base/file_system.h"
#include "vault/vault_file.h"

namespace tf::test {
namespace {

const wchar_t kEditorClass[] = L"TamborvinFormEdit";
const wchar_t kHintClass[] = L"TamborvinFormHint";
constexpr int kFirstBox = 2000;  // txtName(0) .. txtName(7)

class RecordEditorTest : public ProgramTest {
protected:
    HWND OpenEditor(const std::wstring& button) {
        PostCommand(Control(button));
        HWND editor = program_->WaitForTopWindow(kEditorClass);
        EXPECT_NE(editor, nullptr) << "the editor did not open";
        // It is visible before it gives the site name box the focus; a box clicked meanwhile
        // would lose the focus again.
        if (editor) {
            EXPECT_TRUE(WaitUntil([&] { return GetFocusedControl(editor) == Box(editor, 0); }));
        }
        return editor;
    }

    static HWND Box(HWND editor, int index) { return FindChildById(editor, kFirstBox + index); }

    // Clicks into a box and types after what it holds.
    static void TypeInto(HWND editor, int index, const std::wstring& text) {
        HWND box = Box(editor, index);
        FocusControl(box);
        ASSERT_TRUE(WaitUntil([&] { return GetFocusedControl(box) == box; })) << "box " << index << " has no focus";
        TypeText(text);
        ASSERT_TRUE(WaitUntil([&] { return WindowText(box).ends_with(text); })) << "typing did not arrive";
    }

    // The control that has the keyboard focus in the thread of the given window.
    static HWND GetFocusedControl(HWND window) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        return info.hwndFocus;
    }

    int VisibleMessageBoxes() const {
        auto boxes = program_->TopWindows(L"#32770");
        return static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [](HWND w) { return IsWindowVisible(w); }));
    }

    std::vector<LoginRecord> SavedRecords() {
        auto bytes = folder_.Read(L"Data.db");
        if (!bytes) return {};
        FileError error;
        auto records = ParseVault(*bytes, error);
        EXPECT_TRUE(records.has_value()) << error.description;
        return records.value_or(std::vector<LoginRecord>{});
    }
};

TEST_F(RecordEditorTest, AddedRecordIsShownSavedAndKeyedByPinyin) {
    StartProgram();
    HWND editor = OpenEditor(L"Add");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(WindowText(editor), L"Edit");
    EXPECT_EQ(WindowText(Box(editor, 1)), L"http://");
    EXPECT_EQ(GetWindow(editor, GW_OWNER), main_);

    TypeInto(editor, 0, L"中国银行");
    // The caret goes to the end of the address box, after the "http://" it holds.
    TypeInto(editor, 1, L"www.boc.example");
    TypeInto(editor, 2, L"zhang");
    TypeInto(editor, 3, L"p@ss,1\"");
    EXPECT_EQ(WindowText(Box(editor, 1)), L"http://www.boc.example");
    PostCommand(FindChildById(editor, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(editor) || !IsWindow(editor); }));

    ASSERT_EQ(list_->RowCount(), 1);
    EXPECT_EQ(list_->Text(0, 0), L"1");
    EXPECT_EQ(list_->Text(0, 1), L"中国银行");
    EXPECT_EQ(list_->Text(0, 2), L"http://www.boc.example/");
    auto saved = SavedRecords();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0][kLineNum], "2");
    EXPECT_EQ(saved[0][kSiteName], "中国银行");
    EXPECT_EQ(saved[0][kLoginUrl], "http://www.boc.example/");
    EXPECT_EQ(saved[0][kAccount], "zhang");
    EXPECT_EQ(saved[0][kPassword], "p@ss,1\"");
    EXPECT_EQ(saved[0][kCoding], "zgyx");
    ExitProgram();
    EXPECT_EQ(SavedRecords(), saved);
}

TEST_F(RecordEditorTest, OkRefusesMissingFieldsAndKeepsTheEditorOpen) {
    StartProgram();
    HWND editor = OpenEditor(L"Add");
    ASSERT_NE(editor, nullptr);
    PostCommand(FindChildById(editor, IDOK));
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"请输入网站名称/邮箱别名！");
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

    SetWindowTextW(Box(editor, 0), L"  ");  // spaces are a name
    SetWindowTextW(Box(editor, 1), L"");
    PostCommand(FindChildById(editor, IDOK));
    box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"请输入登录网址！");
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

    // A character the vault cannot keep is refused, naming the box.
    SetWindowTextW(Box(editor, 1), L"mail.example");
    SetWindowTextW(Box(editor, 3), L"pass\U0001F600");
    PostCommand(FindChildById(editor, IDOK));
    box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find(L"Login Password"), std::wstring::npos) << Narrow(MessageBoxText(box));
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(list_->RowCount(), 0);
    PostCommand(FindChildById(editor, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(editor) || !IsWindow(editor); }));
    ExitProgram();
    EXPECT_FALSE(folder_.Exists(L"Data.db"));
}

TEST_F(RecordEditorTest, GenerateFillsThePasswordBoxAsTheOptionsSay) {
    const wchar_t kUserInfo[] = L"Software\\VB and VBA Program Settings\\Tamborvin Form\\UserInfo";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserInfo, L"PasswordGenerator");
    StartProgram();
    HWND editor = OpenEditor(L"Add");
    ASSERT_NE(editor, nullptr);
    HWND password = Box(editor, 3);
    auto symbols = [](const std::wstring& text) {
        return std::count_if(text.begin(), text.end(), [](wchar_t c) { return !iswalnum(c); });
    };
    PostCommand(FindChildById(editor, 2200));  // Generate
    ASSERT_TRUE(WaitUntil([&] { return WindowText(password).size() == 20; })) << Narrow(WindowText(password));
    EXPECT_GT(symbols(WindowText(password)), 0);

    // The options by keyboard: length 12, symbols off, then Enter.
    PostCommand(FindChildById(editor, 2201));
    HWND options = program_->WaitForTopWindow(L"TamborvinFormGeneratorOptions");
    ASSERT_NE(options, nullptr);
    HWND length = FindChildById(options, 2210);
    EXPECT_EQ(WindowText(length), L"20");
    EXPECT_FALSE(IsWindowEnabled(editor));
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(length); }));
    TypeText(L"12");
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return HasFocus(FindChildById(options, 2212)); }));
    PressKey(VK_SPACE);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(options); }));
    EXPECT_TRUE(IsWindowEnabled(editor));

    PostCommand(FindChildById(editor, 2200));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(password).size() == 12; })) << Narrow(WindowText(password));
    EXPECT_EQ(symbols(WindowText(password)), 0) << Narrow(WindowText(password));
    wchar_t stored[32] = {};
    DWORD size = sizeof stored;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kUserInfo, L"PasswordGenerator", RRF_RT_REG_SZ, nullptr, stored, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(stored, L"12,0,0");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserInfo, L"PasswordGenerator");
    PostCommand(FindChildById(editor, IDCANCEL));
    ExitProgram();
}

TEST_F(RecordEditorTest, EditChangesExactlyTheSelectedRow) {
    auto records = FourRecords();
    folder_.Write(L"Data.db", FormatVault(records));
    StartProgram();

    PostCommand(Control(L"Edit"));
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"Please select the record to edit!");
    AnswerMessageBox(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

    list_->Select(2);
    HWND editor = OpenEditor(L"Edit");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(WindowText(Box(editor, 0)), L"淘宝");
    EXPECT_EQ(WindowText(Box(editor, 1)), L"http://taobao.example/member/login.jhtml");
    EXPECT_EQ(WindowText(Box(editor, 3)), L"密码123");
    TypeInto(editor, 2, L"2");
    PostCommand(FindChildById(editor, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(editor) || !IsWindow(editor); }));

    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"1", L"2", L"3", L"4"}));
    EXPECT_EQ(list_->Text(2, 3), L"wang2");
    records[2][kAccount] = "wang2";
    records[2][kCoding] = "tb";
    EXPECT_EQ(SavedRecords(), records);
    ExitProgram();
}

TEST_F(RecordEditorTest, DeletesWhileTheEditorIsOpenDoNotRedirectTheChange) {
    auto records = FourRecords();
    folder_.Write(L"Data.db", FormatVault(records));
    StartProgram();

    list_->Select(2);  // 淘宝, "#" 3
    HWND editor = OpenEditor(L"Edit");
    ASSERT_NE(editor, nullptr);
    // The first row goes while the editor is open: 淘宝 becomes "#" 2, and "#" 3 is now forum.
    list_->Select(0);
    PostCommand(Control(L"Delete"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 3; }));
    SetWindowTextW(Box(editor, 2), L"wang2");
    PostCommand(FindChildById(editor, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }));
    EXPECT_EQ(Column(3), (std::vector<std::wstring>{L"li", L"wang2", L"zhao"}));

    // The edited row itself goes: the change is offered as a new record, and "No" drops it.
    list_->Select(1);
    editor = OpenEditor(L"Edit");
    ASSERT_NE(editor, nullptr);
    list_->Select(1);
    PostCommand(Control(L"Delete"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 2; }));
    PostCommand(FindChildById(editor, IDOK));
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    AnswerMessageBox(box, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_EQ(Column(3), (std::vector<std::wstring>{L"li", L"zhao"}));
    ExitProgram();
}

TEST_F(RecordEditorTest, OkKeepsWhatABoxCannotShowUnlessTheUserChangesIt) {
    auto records = FourRecords();
    // A vault may hold a line break in any field, which the one-line password box cannot show,
    // and even a character of code 0, which ends the text of every box.
    records[0][kPassword] = "pa\r\nss";
    records[0][kSiteName] = "中国\r\n银行";
    records[0][kAccount] = "zhang\nwei";
    records[0][kAnswer] = std::string("an\0swer", 7);
    folder_.Write(L"Data.db", FormatVault(records));
    StartProgram();

    list_->Select(0);
    HWND editor = OpenEditor(L"Edit");
    ASSERT_NE(editor, nullptr);
    PostCommand(FindChildById(editor, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(editor) || !IsWindow(editor); }));
    auto saved = SavedRecords();
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0][kPassword], "pa\r\nss");
    EXPECT_EQ(saved[0][kSiteName], "中国\r\n银行");
    EXPECT_EQ(saved[0][kAccount], "zhang\nwei");
    EXPECT_EQ(saved[0][kAnswer], records[0][kAnswer]);
    EXPECT_EQ(saved[0][kLoginUrl], records[0][kLoginUrl]);

    // Typed into, the box gives what it holds now.
    list_->Select(0);
    editor = OpenEditor(L"Edit");
    ASSERT_NE(editor, nullptr);
    TypeInto(editor, 3, L"9");
    const std::string typed = Narrow(WindowText(Box(editor, 3)));
    PostCommand(FindChildById(editor, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(editor) || !IsWindow(editor); }));
    saved = SavedRecords();
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0][kPassword], typed);
    EXPECT_EQ(saved[0][kSiteName], "中国\r\n银行");
    ExitProgram();
}

TEST_F(RecordEditorTest, QuestionAboutADeletedRecordHoldsTheEditorUntilAnswered) {
    auto records = FourRecords();
    folder_.Write(L"Data.db", FormatVault(records));
    StartProgram();

    list_->Select(1);
    HWND editor = OpenEditor(L"Edit");
    ASSERT_NE(editor, nullptr);
    list_->Select(1);
    PostCommand(Control(L"Delete"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 3; }));
    SetWindowTextW(Box(editor, 2), L"li2");
    HWND ok = FindChildById(editor, IDOK);
    PostCommand(ok);
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetWindow(box, GW_OWNER), editor);
    EXPECT_FALSE(IsWindowEnabled(editor));

    // OK again, as a stray Enter or click would send it, and Add in the main window: both are
    // handled at once (no second question waits in them) and change nothing.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(editor, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok),
                                  SMTO_NORMAL, 3000, &result),
              0)
        << "a second OK asked again";
    HWND add = Control(L"Add");
    EXPECT_NE(SendMessageTimeoutW(main_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(add), BN_CLICKED),
                                  reinterpret_cast<LPARAM>(add), SMTO_NORMAL, 3000, &result),
              0);
    EXPECT_EQ(WindowText(Box(editor, 2)), L"li2");
    EXPECT_EQ(VisibleMessageBoxes(), 1);

    AnswerMessageBox(box, IDYES);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor) || !IsWindowVisible(editor); }));
    EXPECT_EQ(Column(3), (std::vector<std::wstring>{L"zhang", L"wang", L"zhao", L"li2"}));
    EXPECT_EQ(SavedRecords().size(), 4u);
    EXPECT_EQ(VisibleMessageBoxes(), 0);
    ExitProgram();
    EXPECT_EQ(SavedRecords().size(), 4u);
}

TEST_F(RecordEditorTest, FindShowsOnlyMatchingRowsAndHiddenRowsAreStillSaved) {
    auto records = FourRecords();
    records[0][kCoding] = "zgyx";
    records[2][kCoding] = "tb";
    folder_.Write(L"Data.db", FormatVault(records));
    StartProgram();

    HWND search = FindChild(main_, WC_EDITW, L"You can press the front three fuzzy query");
    ASSERT_NE(search, nullptr) << "the search box does not hold its hint text";
    SetWindowTextW(search, L"zg");
    PostCommand(Control(L"Find"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 1; }));
    EXPECT_EQ(list_->Text(0, 1), L"中国银行");

    // Case-sensitive: "ZG" is in no searched cell.
    SetWindowTextW(search, L"ZG");
    PostCommand(Control(L"Find"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 0; }));

    // "?" stands for any one character.
    SetWindowTextW(search, L"m?il.");
    PostCommand(Control(L"Find"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 1; }));
    EXPECT_EQ(list_->Text(0, 0), L"2");

    // Deleting the one shown row saves the three hidden ones.
    list_->Select(0);
    PostCommand(Control(L"Delete"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 0; }));
    records.erase(records.begin() + 1);
    EXPECT_EQ(SavedRecords(), Numbered(records));

    SetWindowTextW(search, L"");
    PostCommand(Control(L"Find"));
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 3; }));
    ExitProgram();
}

TEST_F(RecordEditorTest, HintWindowWaitsHiddenAtTheBottomRightOfTheScreen) {
    StartProgram();
    HWND hint = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        auto found = program_->TopWindows(kHintClass);
        hint = found.empty() ? nullptr : found.front();
        return hint != nullptr;
    }));
    EXPECT_FALSE(IsWindowVisible(hint));
    RECT r;
    GetWindowRect(hint, &r);
    HDC screen = GetDC(nullptr);
    int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN) - MulDiv(500, dpiY, 1440));
    EXPECT_EQ(r.right - r.left, MulDiv(3750, dpiX, 1440));
    EXPECT_EQ(r.bottom - r.top, MulDiv(570, dpiY, 1440));
    EXPECT_NE(FindChild(hint, L"", L"Tamborvin "), nullptr);
    ExitProgram();
}

}  // namespace
}  // namespace tf::test
