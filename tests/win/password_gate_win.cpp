// The master password guarding the main window and the settings, the settings window and the
// notification icon's menu, driven in the real program. The shell's messages are sent to the main
// window as the shell would send them; the menu's items arrive as the menu would send them.
#include "support/program_test_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "base/file_system.h"
#include "vault/field_codec.h"
#include "vault/user_sealer_win.h"
#include "vault/vault_file.h"
#include "vault/vault_lock.h"

#include <cstdio>

namespace tf::test {
namespace {

constexpr wchar_t kLoginClass[] = L"TamborvinFormLogin";
constexpr wchar_t kConfigClass[] = L"TamborvinFormConfig";
constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\Tamborvin Form";
constexpr wchar_t kUserInfoKey[] = L"Software\\VB and VBA Program Settings\\Tamborvin Form\\UserInfo";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Tamborvin Form";

constexpr int kIdLoginPassword = 4001;
constexpr int kIdOldPassword = 4101;
constexpr int kIdNewPassword = 4102;
constexpr int kIdConfirmPassword = 4103;
constexpr int kIdRemember = 4104;
constexpr int kIdAutoStart = 4105;
constexpr int kIdProtect = 4106;
constexpr WPARAM kMenuSetting = 4201;
constexpr WPARAM kMenuExit = 4203;
constexpr WPARAM kMenuExport = 4205;
constexpr wchar_t kMenuFormClass[] = L"TamborvinFormTrayMenu";

// Whether the shell holds the program's notification icon: a modification that changes nothing
// succeeds only for an icon the shell has. (Wine's shell also drops the icon of a window that is
// destroyed, so after the program ended this shows the outcome, not who removed it.)
bool IconShown(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

std::optional<std::wstring> ReadRegistryText(const wchar_t* key, const wchar_t* name) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(wcslen(text.c_str()));
    return text;
}

// The test prefix is shared by the tests of a run: each test starts and ends without settings.
class PasswordGateTest : public ProgramTest {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }

    static void ClearSettings() {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
    }

    static void SetSetting(const wchar_t* name, const std::string& value) {
        std::wstring text = Widen(value);
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kUserInfoKey, name, REG_SZ, text.c_str(),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    // Starts on four records and deletes the first; the change is saved at once, then the old file
    // is put back so that only the exit's own save can bring the change into it. The file expected
    // after that save.
    std::string StartAndChangeBehindTheSave() {
        auto records = FourRecords();
        const std::string bytes = FormatVault(records);
        folder_.Write(L"Data.db", bytes);
        StartProgram();
        list_->Select(0);
        PostCommand(Control(L"Delete"));
        records.erase(records.begin());
        std::string expected = FormatVault(Numbered(records));
        EXPECT_TRUE(WaitUntil([&] { return folder_.Read(L"Data.db") == expected; }));
        folder_.Write(L"Data.db", bytes);
        return expected;
    }

    void HideToTray() {
        PostCommand(Control(L"  —"), STN_CLICKED);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main_); }));
    }

    // What the shell sends for a left click on the icon; the prompt it asks for, if any.
    HWND ClickIconForPrompt() {
        PostMessageW(main_, kTrayMessage, 1, WM_LBUTTONUP);
        return program_->WaitForTopWindow(kLoginClass);
    }

    // Starts the program on a protected vault: the prompt comes before the main window shows.
    void StartBehindPrompt() {
        exe_ = folder_.CopyProgram(kProgram);
        program_ = std::make_unique<Process>(exe_, folder_.Path());
    }
    // The same, and the password typed into the prompt: OK.
    void StartAndType(const std::wstring& password) {
        StartBehindPrompt();
        HWND login = program_->WaitForTopWindow(kLoginClass);
        ASSERT_NE(login, nullptr) << "no prompt for the protected vault";
        TypeInto(FindChildById(login, kIdLoginPassword), password);
        PostCommand(FindChildById(login, IDOK));
    }

    // Types into an empty box, or over its selected text; the box then holds just the text.
    static void TypeInto(HWND box, const std::wstring& text) {
        FocusControl(box);
        ASSERT_TRUE(WaitUntil([&] { return FocusedControl(box) == box; })) << "the box has no focus";
        TypeText(text);
        EXPECT_TRUE(WaitUntil([&] { return WindowText(box) == text; })) << "typing did not arrive";
    }

    // The control that has the keyboard focus in the thread of the given window.
    static HWND FocusedControl(HWND window) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        return info.hwndFocus;
    }

    // The message box the program shows next: its text, answered with OK.
    std::wstring AnswerNextMessage() {
        HWND box = program_->WaitForMessageBox();
        if (!box) return L"(no message box)";
        std::wstring text = MessageBoxText(box);
        AnswerMessageBox(box, IDOK);
        WaitUntil([&] { return !IsWindow(box); });
        return text;
    }

    // A right click on the icon; the pop-up menu, once it stays open. Under Wine a menu that opens
    // while the activation left over from hiding the main window is still settling is sometimes
    // closed at once; the click is then made again, as a user would.
    HWND OpenTrayMenu() {
        for (int attempt = 0; attempt < 5; ++attempt) {
            PostMessageW(main_, kTrayMessage, 1, WM_RBUTTONUP);
            HWND menu = program_->WaitForTopWindow(L"#32768", 3s);
            if (menu) {
                Sleep(300);
                if (IsWindowVisible(menu)) return menu;
            }
            // The menu's own loop is over before the next click.
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
        }
        return nullptr;
    }

    // Opens the tray menu once and closes it again, so that the program makes the hidden menu form;
    // the form.
    HWND MenuFormAfterAPopup() {
        HWND menu = OpenTrayMenu();
        if (!menu) return nullptr;
        PostMessageW(main_, WM_CANCELMODE, 0, 0);
        if (!WaitUntil([&] { return !IsWindowVisible(menu); })) return nullptr;
        return MenuForm();
    }

    // The hidden menu form, once the program has made it.
    HWND MenuForm() {
        HWND form = nullptr;
        WaitUntil([&] {
            auto forms = program_->TopWindows(kMenuFormClass);
            if (!forms.empty()) form = forms.front();
            return form != nullptr;
        });
        return form;
    }

    // "Setting" from the menu, the prompt answered with the password; the settings window.
    HWND OpenSettings(const std::wstring& password) {
        PostMessageW(main_, WM_COMMAND, kMenuSetting, 0);
        HWND login = program_->WaitForTopWindow(kLoginClass);
        if (!login) return nullptr;
        if (!password.empty()) TypeInto(FindChildById(login, kIdLoginPassword), password);
        PostCommand(FindChildById(login, IDOK));
        HWND config = program_->WaitForTopWindow(kConfigClass);
        // The window gives its first box the focus as it comes to the front; a box focused from here
        // before that would lose it again.
        if (config) {
            HWND first = FindChildById(config, kIdOldPassword);
            WaitUntil([&] { return GetForegroundWindow() == config && FocusedControl(config) == first; });
        }
        return config;
    }
};

TEST_F(PasswordGateTest, FirstStartAcceptsOnlyTheEmptyPassword) {
    StartProgram();
    HideToTray();

    HWND login = ClickIconForPrompt();
    ASSERT_NE(login, nullptr) << "no password prompt";
    EXPECT_EQ(WindowText(login), L"Please enter the Tamborvin Form password");
    EXPECT_NE(GetWindowLongW(login, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "the prompt is not topmost";
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the prompt is not modal";
    HWND box = FindChildById(login, kIdLoginPassword);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(GetWindowLongW(box, GWL_STYLE) & ES_PASSWORD, 0);
    EXPECT_NE(FindChild(login, L"isButton", L"OK"), nullptr);
    EXPECT_NE(FindChild(login, L"isButton", L"Cancel"), nullptr);

    // A second click while the prompt is open opens no second prompt.
    SendMessageW(main_, kTrayMessage, 1, WM_LBUTTONUP);
    EXPECT_EQ(program_->TopWindows(kLoginClass).size(), 1u);
    EXPECT_FALSE(IsWindowVisible(main_));

    // Enter acts as OK; a wrong password is refused and selected for typing it again.
    TypeInto(box, L"x y");
    PressKey(VK_RETURN);
    EXPECT_EQ(AnswerNextMessage(), L"Password is incorrect, please re-enter");
    EXPECT_TRUE(WaitUntil([&] { return SendMessageW(box, EM_GETSEL, 0, 0) == MAKELRESULT(0, 3); }))
        << "the wrong password is not selected";
    EXPECT_TRUE(IsWindow(login));
    EXPECT_FALSE(IsWindowVisible(main_));

    // No password was set yet: the empty one opens the window.
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(box) == box; }));
    PressKey(VK_BACK);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(box).empty(); }));
    PostCommand(FindChildById(login, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main_); })) << "the accepted password did not open the window";
    EXPECT_FALSE(IsWindow(login));
    EXPECT_TRUE(IsWindowEnabled(main_));

    // A left click while the window is visible does nothing: no prompt. Sent, so that it has been
    // handled when the call returns (a prompt it opened would hold the call until its time-out).
    SendAndWait(main_, kTrayMessage, 1, WM_LBUTTONUP);
    EXPECT_TRUE(program_->TopWindows(kLoginClass).empty()) << "a click with the window visible asked for the password";
    EXPECT_TRUE(IsWindowVisible(main_));
    EXPECT_TRUE(IsWindowEnabled(main_));
    ExitProgram();
}

TEST_F(PasswordGateTest, ThePasswordComparisonIsCaseSensitiveAndCancelKeepsTheWindowHidden) {
    SetSetting(L"lgpd", EncodeField("Abc"));
    StartProgram();
    HideToTray();

    HWND login = ClickIconForPrompt();
    ASSERT_NE(login, nullptr);
    HWND box = FindChildById(login, kIdLoginPassword);
    TypeInto(box, L"abc");
    PostCommand(FindChildById(login, IDOK));
    EXPECT_EQ(AnswerNextMessage(), L"Password is incorrect, please re-enter");
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(box, EM_GETSEL, 0, 0) == MAKELRESULT(0, 3); }));
    // Typing replaces the selected wrong password.
    TypeInto(box, L"Abc");
    PostCommand(FindChildById(login, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main_); }));

    // Escape acts as Cancel: the window stays in the notification area.
    HideToTray();
    login = ClickIconForPrompt();
    ASSERT_NE(login, nullptr);
    FocusControl(FindChildById(login, kIdLoginPassword));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(login); }));
    EXPECT_FALSE(IsWindowVisible(main_));
    EXPECT_TRUE(IsWindowEnabled(main_));

    // So does closing the prompt.
    login = ClickIconForPrompt();
    ASSERT_NE(login, nullptr);
    PostMessageW(login, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(login); }));
    EXPECT_FALSE(IsWindowVisible(main_));
    EXPECT_TRUE(program_->Running());
    ExitProgram();
}

TEST_F(PasswordGateTest, ARememberedPasswordOpensTheWindowWithoutThePrompt) {
    SetSetting(L"lgpd", EncodeField("Abc"));
    SetSetting(L"rmbp", "1");
    StartProgram();
    HideToTray();
    PostMessageW(main_, kTrayMessage, 1, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main_); }));
    EXPECT_TRUE(program_->TopWindows(kLoginClass).empty());
    ExitProgram();
}

// The export writes every password to a plain file: the master password is asked for even when it
// is remembered, from the main window and from the menu alike.
TEST_F(PasswordGateTest, ExportAsksForTheMasterPasswordEvenWhenRemembered) {
    SetSetting(L"lgpd", EncodeField("Abc"));
    SetSetting(L"rmbp", "1");
    folder_.Write(L"Data.db", FormatVault(FourRecords()));
    StartProgram();
    PostCommand(Control(L"Export..."));
    HWND login = program_->WaitForTopWindow(kLoginClass);
    ASSERT_NE(login, nullptr) << "the export did not ask for the password";
    PostCommand(FindChildById(login, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(login); }));
    ASSERT_TRUE(SendAndWait(main_, WM_NULL));
    EXPECT_EQ(program_->WaitForMessageBox(0ms), nullptr) << "Cancel went on to the export";

    PostMessageW(main_, WM_COMMAND, kMenuExport, 0);
    login = program_->WaitForTopWindow(kLoginClass);
    ASSERT_NE(login, nullptr) << "the menu's export did not ask for the password";
    TypeInto(FindChildById(login, kIdLoginPassword), L"Abc");
    PostCommand(FindChildById(login, IDOK));
    HWND warning = program_->WaitForMessageBox();
    ASSERT_NE(warning, nullptr);
    EXPECT_NE(MessageBoxText(warning).find(L"不受保护"), std::wstring::npos);
    AnswerMessageBox(warning, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(warning); }));
    ExitProgram();
}

TEST_F(PasswordGateTest, SettingChangesThePasswordAndTheStartWithWindows) {
    StartProgram();
    HWND config = OpenSettings(L"");
    ASSERT_NE(config, nullptr) << "the settings window did not open";
    EXPECT_EQ(WindowText(config), L"Setting");
    EXPECT_NE(FindChild(config, L"Button", L"Set the login password"), nullptr);
    for (const wchar_t* label : {L"Old Password", L"New Password", L"Confirm Password"}) {
        EXPECT_NE(FindChild(config, L"Static", label), nullptr) << Narrow(label);
    }
    HWND remember = FindChildById(config, kIdRemember);
    HWND autoStart = FindChildById(config, kIdAutoStart);
    ASSERT_NE(remember, nullptr);
    ASSERT_NE(autoStart, nullptr);
    EXPECT_EQ(WindowText(remember), L"Remember Access Password ");
    EXPECT_EQ(WindowText(autoStart), L"Auto start");
    EXPECT_EQ(SendMessageW(remember, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(autoStart, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // "Setting" again while it is open: the same window, no prompt.
    SendMessageW(main_, WM_COMMAND, kMenuSetting, 0);
    EXPECT_EQ(program_->TopWindows(kConfigClass).size(), 1u);
    EXPECT_TRUE(program_->TopWindows(kLoginClass).empty());

    // The old password is empty, as none was set. Protection, ticked for a first password, is
    // declined here: the password is then kept where earlier versions keep it.
    TypeInto(FindChildById(config, kIdNewPassword), L"N3w密码");
    TypeInto(FindChildById(config, kIdConfirmPassword), L"N3w密码");
    SendMessageW(autoStart, BM_CLICK, 0, 0);
    HWND protect = FindChildById(config, kIdProtect);
    EXPECT_EQ(SendMessageW(protect, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(protect, BM_CLICK, 0, 0);
    PostCommand(FindChildById(config, IDOK));
    EXPECT_EQ(AnswerNextMessage(), L"Password changed successfully, remember!");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));

    EXPECT_EQ(ReadRegistryText(kUserInfoKey, L"lgpd"), Widen(EncodeField("N3w密码")));
    // Quoted: the path holds spaces.
    EXPECT_EQ(ReadRegistryText(kRunKey, kRunValue), L"\"" + exe_ + L"\"");
    // Remember was not touched.
    EXPECT_FALSE(ReadRegistryText(kUserInfoKey, L"rmbp").has_value());

    // The new password guards the window from now on.
    HideToTray();
    HWND login = ClickIconForPrompt();
    ASSERT_NE(login, nullptr);
    PostCommand(FindChildById(login, IDOK));
    EXPECT_EQ(AnswerNextMessage(), L"Password is incorrect, please re-enter");
    TypeInto(FindChildById(login, kIdLoginPassword), L"N3w密码");
    PostCommand(FindChildById(login, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main_); }));

    // The program moved since: opened with "Auto start" ticked, OK alone writes the present path.
    const std::wstring stale = L"\"C:\\Old place\\Tamborvin Form.exe\"";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_SZ, stale.c_str(),
                              static_cast<DWORD>((stale.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    config = OpenSettings(L"N3w密码");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(SendMessageW(FindChildById(config, kIdAutoStart), BM_GETCHECK, 0, 0), BST_CHECKED);
    PostCommand(FindChildById(config, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); })) << "OK did not close the window";
    EXPECT_EQ(ReadRegistryText(kRunKey, kRunValue), L"\"" + exe_ + L"\"");
    EXPECT_FALSE(ReadRegistryText(kUserInfoKey, L"rmbp").has_value());
    ExitProgram();
}

// The registry refuses the new password (here: a volatile settings key, under which a lasting one
// cannot be made): the failure is said instead of the success, and the old password still opens.
TEST_F(PasswordGateTest, ANewPasswordTheRegistryRefusesKeepsTheOldOne) {
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    StartProgram();
    HWND config = OpenSettings(L"");
    ASSERT_NE(config, nullptr);
    TypeInto(FindChildById(config, kIdNewPassword), L"new");
    TypeInto(FindChildById(config, kIdConfirmPassword), L"new");
    PostCommand(FindChildById(config, IDOK));
    std::wstring message = AnswerNextMessage();
    EXPECT_EQ(message.rfind(L"Password change failed, the old password is still valid! Error code:", 0), 0u)
        << Narrow(message);
    EXPECT_TRUE(IsWindow(config)) << "the window closed as if the password had been changed";
    EXPECT_FALSE(ReadRegistryText(kUserInfoKey, L"lgpd").has_value());
    PostCommand(FindChildById(config, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));

    // The old (empty) password still opens the window; the new one does not.
    HideToTray();
    HWND login = ClickIconForPrompt();
    ASSERT_NE(login, nullptr);
    TypeInto(FindChildById(login, kIdLoginPassword), L"new");
    PostCommand(FindChildById(login, IDOK));
    EXPECT_EQ(AnswerNextMessage(), L"Password is incorrect, please re-enter");
    HWND box = FindChildById(login, kIdLoginPassword);
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(box) == box; }));
    PressKey(VK_BACK);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(box).empty(); }));
    PostCommand(FindChildById(login, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main_); }));
    ExitProgram();
}

TEST_F(PasswordGateTest, AWrongOldPasswordAppliesNothing) {
    SetSetting(L"lgpd", EncodeField("Abc"));
    StartProgram();
    HWND config = OpenSettings(L"Abc");
    ASSERT_NE(config, nullptr);
    TypeInto(FindChildById(config, kIdOldPassword), L"abc");
    TypeInto(FindChildById(config, kIdNewPassword), L"new");
    TypeInto(FindChildById(config, kIdConfirmPassword), L"new");
    SendMessageW(FindChildById(config, kIdAutoStart), BM_CLICK, 0, 0);
    SendMessageW(FindChildById(config, kIdRemember), BM_CLICK, 0, 0);
    PostCommand(FindChildById(config, IDOK));
    EXPECT_EQ(AnswerNextMessage(), L"Old password is incorrect!");
    EXPECT_TRUE(IsWindow(config)) << "a refused OK closed the window";
    EXPECT_EQ(ReadRegistryText(kUserInfoKey, L"lgpd"), Widen(EncodeField("Abc")));
    EXPECT_FALSE(ReadRegistryText(kRunKey, kRunValue).has_value());
    EXPECT_FALSE(ReadRegistryText(kUserInfoKey, L"rmbp").has_value());

    // Cancel applies nothing either, and a cancelled prompt opens no settings.
    PostCommand(FindChildById(config, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));
    EXPECT_FALSE(ReadRegistryText(kUserInfoKey, L"rmbp").has_value());
    PostMessageW(main_, WM_COMMAND, kMenuSetting, 0);
    HWND login = program_->WaitForTopWindow(kLoginClass);
    ASSERT_NE(login, nullptr);
    PostCommand(FindChildById(login, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(login); }));
    // A command that runs after the cancelled "Setting" finished: no settings window by then.
    SendMessageW(main_, WM_NULL, 0, 0);
    EXPECT_TRUE(program_->TopWindows(kConfigClass).empty());
    ExitProgram();
}

TEST_F(PasswordGateTest, RememberTickedInTheSettingsSkipsThePromptAtOnce) {
    SetSetting(L"lgpd", EncodeField("Abc"));
    StartProgram();
    HWND config = OpenSettings(L"Abc");
    ASSERT_NE(config, nullptr);
    SendMessageW(FindChildById(config, kIdRemember), BM_CLICK, 0, 0);
    PostCommand(FindChildById(config, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));
    EXPECT_EQ(ReadRegistryText(kUserInfoKey, L"rmbp"), L"1");
    HideToTray();
    PostMessageW(main_, kTrayMessage, 1, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main_); }));
    EXPECT_TRUE(program_->TopWindows(kLoginClass).empty());

    // Opened again, the box shows the remembered state.
    PostMessageW(main_, WM_COMMAND, kMenuSetting, 0);
    config = program_->WaitForTopWindow(kConfigClass);
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(SendMessageW(FindChildById(config, kIdRemember), BM_GETCHECK, 0, 0), BST_CHECKED);
    ExitProgram();
}

TEST_F(PasswordGateTest, AProtectedVaultOpensOnlyWithItsPasswordAndWindowsRemembersIt) {
    folder_.Write(L"Data.db", FormatVault(FourRecords()));
    StartProgram();
    HWND config = OpenSettings(L"");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(WindowText(FindChildById(config, kIdProtect)), L"Protect the vault with the master password");
    TypeInto(FindChildById(config, kIdNewPassword), L"S3cret密");
    TypeInto(FindChildById(config, kIdConfirmPassword), L"S3cret密");
    PostCommand(FindChildById(config, IDOK));
    EXPECT_EQ(AnswerNextMessage(), L"Password changed successfully, remember!");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));
    const std::string sealed = folder_.Read(L"Data.db").value_or("");
    EXPECT_TRUE(IsProtectedVault(sealed));
    const std::string firstLine = FormatVault({FourRecords()[0]});
    EXPECT_EQ(sealed.find(firstLine.substr(0, firstLine.size() - 2)), std::string::npos);
    EXPECT_EQ(ReadRegistryText(kUserInfoKey, L"lgpd").value_or(L""), L"");
    ExitProgram();

    // At start the prompt comes before anything is shown; a wrong password, then Cancel, ends the
    // program with the file as it was.
    StartBehindPrompt();
    HWND login = program_->WaitForTopWindow(kLoginClass);
    ASSERT_NE(login, nullptr) << "no prompt for the protected vault";
    EXPECT_TRUE(program_->TopWindows(kMainClass).empty() || !IsWindowVisible(program_->TopWindows(kMainClass)[0]));
    TypeInto(FindChildById(login, kIdLoginPassword), L"s3cret密");
    PostCommand(FindChildById(login, IDOK));
    EXPECT_EQ(AnswerNextMessage(), L"Password is incorrect, please re-enter");
    PostCommand(FindChildById(login, IDCANCEL));
    ASSERT_TRUE(program_->WaitForExit().has_value()) << "Cancel did not end the program";
    EXPECT_EQ(folder_.Read(L"Data.db"), sealed);

    // The right password opens it; remembered, Windows opens it without a question and the
    // registry holds no password.
    ASSERT_NO_FATAL_FAILURE(StartAndType(L"S3cret密"));
    FindMainWindow();
    EXPECT_EQ(list_->RowCount(), 4);
    config = OpenSettings(L"S3cret密");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(SendMessageW(FindChildById(config, kIdProtect), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(FindChildById(config, kIdRemember), BM_CLICK, 0, 0);
    PostCommand(FindChildById(config, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));
    const std::wstring blob = ReadRegistryText(kUserInfoKey, L"lgpk").value_or(L"");
    EXPECT_GT(blob.size(), 32u);
    EXPECT_EQ(ReadRegistryText(kUserInfoKey, L"lgpd").value_or(L""), L"");
    ExitProgram();
    StartProgram();
    EXPECT_TRUE(program_->TopWindows(kLoginClass).empty());
    EXPECT_EQ(list_->RowCount(), 4);

    // A new password encrypts the vault again: the next start opens it with that one only.
    PostMessageW(main_, WM_COMMAND, kMenuSetting, 0);
    config = program_->WaitForTopWindow(kConfigClass);
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == config; }));
    TypeInto(FindChildById(config, kIdOldPassword), L"S3cret密");
    TypeInto(FindChildById(config, kIdNewPassword), L"n3w");
    TypeInto(FindChildById(config, kIdConfirmPassword), L"n3w");
    SendMessageW(FindChildById(config, kIdRemember), BM_CLICK, 0, 0);
    PostCommand(FindChildById(config, IDOK));
    EXPECT_EQ(AnswerNextMessage(), L"Password changed successfully, remember!");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));
    EXPECT_NE(folder_.Read(L"Data.db"), sealed);
    ExitProgram();
    ASSERT_NO_FATAL_FAILURE(StartAndType(L"n3w"));
    FindMainWindow();
    EXPECT_EQ(list_->RowCount(), 4);

    // Unticked, after one question: the plain file again, its password where earlier versions
    // look for it.
    config = OpenSettings(L"n3w");
    ASSERT_NE(config, nullptr);
    // Posted: the click's handler waits for the question to be answered.
    PostMessageW(FindChildById(config, kIdProtect), BM_CLICK, 0, 0);
    HWND question = program_->WaitForMessageBox();
    ASSERT_NE(question, nullptr);
    EXPECT_NE(MessageBoxText(question).find(L"readable by anyone"), std::wstring::npos);
    AnswerMessageBox(question, IDYES);
    PostCommand(FindChildById(config, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(config); }));
    EXPECT_EQ(folder_.Read(L"Data.db"), FormatVault(Numbered(FourRecords())));
    EXPECT_EQ(ReadRegistryText(kUserInfoKey, L"lgpd"), Widen(EncodeField("n3w")));
    ExitProgram();
}

// A damaged protected vault: the right password gets a clear message, the list starts empty and
// the file stays as it was; the first save keeps it aside and the new records are saved.
TEST_F(PasswordGateTest, ADamagedProtectedVaultIsSaidAndKeptAside) {
    {
        VaultFile vault(NativeFileSystem(), Narrow(folder_.Path()));
        std::string failure;
        ASSERT_FALSE(vault.Protect(Numbered(FourRecords()), "pw", KdfParams{8 * 1024, 1, 1}, failure)) << failure;
    }
    std::string damaged = folder_.Read(L"Data.db").value_or("");
    ASSERT_GT(damaged.size(), 200u);
    damaged[damaged.size() - 40] = damaged[damaged.size() - 40] == 'A' ? 'B' : 'A';
    folder_.Write(L"Data.db", damaged);
    ASSERT_NO_FATAL_FAILURE(StartAndType(L"pw"));
    EXPECT_NE(AnswerNextMessage().find(L"The protected vault file is damaged"), std::wstring::npos);
    FindMainWindow();
    EXPECT_EQ(list_->RowCount(), 0);
    EXPECT_EQ(folder_.Read(L"Data.db"), damaged);
    // A record added: the save keeps the damaged file aside, says where, and saves the new list.
    PostCommand(Control(L"Add"));
    HWND editor = program_->WaitForTopWindow(L"TamborvinFormEdit");
    ASSERT_NE(editor, nullptr);
    SetWindowTextW(FindChildById(editor, 2000), L"mail");
    SetWindowTextW(FindChildById(editor, 2001), L"mail.example");
    PostCommand(FindChildById(editor, IDOK));
    EXPECT_NE(AnswerNextMessage().find(L"Data.db.bad"), std::wstring::npos);
    EXPECT_EQ(folder_.Read(L"Data.db.bad"), damaged);
    FileError error;
    auto saved = ParseVault(folder_.Read(L"Data.db").value_or(""), error);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->size(), 1u);
    ExitProgram();
}

// The program killed at many moments of a protected save: every time the vault opens, with the
// records from before the change or from after it.
// Imported records go into a protected vault the way it is kept: protected.
TEST_F(PasswordGateTest, AnImportIntoAProtectedVaultIsSavedProtected) {
    const std::string folder = Narrow(folder_.Path());
    {
        VaultFile vault(NativeFileSystem(), folder);
        std::string failure;
        ASSERT_FALSE(vault.Protect(Numbered({SampleRecord("bank", "https://bank.example/", "me", "old")}), "k3y",
                                   KdfParams{8 * 1024, 1, 1}, failure))
            << failure;
    }
    const std::optional<std::string> sealed = WindowsUserSealer().Seal("k3y");
    ASSERT_TRUE(sealed);
    SetSetting(L"rmbp", "1");
    SetSetting(L"lgpk", SealedToText(*sealed));
    folder_.Write(L"chrome.csv", "name,url,username,password\r\nmail,https://mail.example/,bob,mail-secret\r\n");
    StartProgram();
    PostCommand(Control(L"Import..."));
    ASSERT_TRUE(ChooseFileInDialog(program_->WaitForMessageBox(), folder_.File(L"chrome.csv")));
    HWND preview = program_->WaitForTopWindow(L"TamborvinFormImportPreview");
    ASSERT_NE(preview, nullptr);
    PostMessageW(GetDlgItem(preview, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return list_->RowCount() == 2; }));
    ExitProgram();
    const std::string saved = folder_.Read(L"Data.db").value_or("");
    EXPECT_TRUE(IsProtectedVault(saved));
    StartProgram();
    EXPECT_EQ(list_->RowCount(), 2);
    ExitProgram();
}

TEST_F(PasswordGateTest, AProtectedSaveKilledAtAnyMomentLeavesTheOldOrTheNewVault) {
    std::vector<LoginRecord> records;
    for (int i = 0; i < 5000; ++i)
        records.push_back(SampleRecord("site " + std::to_string(i), "http://s" + std::to_string(i) + ".example/",
                                       "user", "pw" + std::to_string(i)));
    const std::string folder = Narrow(folder_.Path());
    {
        VaultFile vault(NativeFileSystem(), folder);
        std::string failure;
        // Light key parameters: this is about the save, not the key.
        ASSERT_FALSE(vault.Protect(Numbered(records), "k1ll", KdfParams{8 * 1024, 1, 1}, failure)) << failure;
    }
    const std::optional<std::string> sealed = WindowsUserSealer().Seal("k1ll");
    ASSERT_TRUE(sealed);
    SetSetting(L"rmbp", "1");
    SetSetting(L"lgpk", SealedToText(*sealed));
    int oldOnes = 0, newOnes = 0;
    std::size_t expected = records.size();
    // Moments spread over the save (it comes some tens of milliseconds after the press).
    for (int delayMs = 0; delayMs <= 90; delayMs += 2) {
        SCOPED_TRACE(delayMs);
        StartProgram();
        ASSERT_EQ(list_->RowCount(), static_cast<int>(expected));
        list_->Select(0);
        PostCommand(Control(L"Delete"));
        Sleep(static_cast<DWORD>(delayMs));
        program_->Kill();
        VaultFile vault(NativeFileSystem(), folder);
        std::vector<LoginRecord> found;
        ASSERT_EQ(vault.Unlock("k1ll", found).status, OpenStatus::kOpened);
        ASSERT_TRUE(found.size() == expected || found.size() == expected - 1) << found.size();
        (found.size() == expected ? oldOnes : newOnes)++;
        expected = found.size();
    }
    std::printf("killed during a protected save: %d times the old vault, %d times the new\n", oldOnes, newOnes);
}

TEST_F(PasswordGateTest, ExitFromTheMenuWithoutChangesLeavesTheFileUntouched) {
    auto bytes = FormatVault(FourRecords());
    folder_.Write(L"Data.db", bytes);
    FILETIME before = folder_.WriteTime(L"Data.db");
    Sleep(20);
    StartProgram();
    PostMessageW(main_, WM_COMMAND, kMenuExit, 0);
    ASSERT_TRUE(program_->WaitForExit().has_value()) << "Exit did not end the program";
    EXPECT_EQ(folder_.Read(L"Data.db"), bytes);
    FILETIME after = folder_.WriteTime(L"Data.db");
    EXPECT_EQ(CompareFileTime(&before, &after), 0);
}

TEST_F(PasswordGateTest, ExitFromTheMenuSavesChangedRecords) {
    const std::string expected = StartAndChangeBehindTheSave();
    PostMessageW(main_, WM_COMMAND, kMenuExit, 0);
    ASSERT_TRUE(program_->WaitForExit().has_value());
    EXPECT_EQ(folder_.Read(L"Data.db"), expected);
}

TEST_F(PasswordGateTest, TheIconItsMenuAndItsReturnAfterTheTaskbarRestarts) {
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return IconShown(main_); })) << "no notification icon";
    // The menu form is made only when the menu is first needed.
    EXPECT_TRUE(program_->TopWindows(kMenuFormClass).empty());

    HideToTray();
    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr) << "no pop-up menu";
    const std::vector<std::wstring> items = {L"Setting", L"Import...", L"Export...", L"-", L"About...", L"Exit"};
    EXPECT_EQ(PopupMenuItems(menu), items);
    // Dismissed, the program goes on hidden.
    PostMessageW(main_, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
    EXPECT_FALSE(IsWindowVisible(main_));

    // The form holding the menu: one hidden top-level window, kept.
    auto forms = program_->TopWindows(kMenuFormClass);
    ASSERT_EQ(forms.size(), 1u);
    EXPECT_EQ(WindowText(forms[0]), L"Form1caidan");
    EXPECT_FALSE(IsWindowVisible(forms[0]));
    EXPECT_EQ(GetWindow(forms[0], GW_OWNER), nullptr);
    menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr);
    PostMessageW(main_, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
    EXPECT_EQ(program_->TopWindows(kMenuFormClass), forms);

    // Explorer restarted and forgot the icon; its "TaskbarCreated" brings it back.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = main_;
    data.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_FALSE(IconShown(main_));
    SendMessageW(main_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return IconShown(main_); })) << "the icon did not come back";
    ExitProgram();
    EXPECT_FALSE(IconShown(main_)) << "the icon outlived the program";
}

// Another program (or the task manager) closes the hidden menu form: the program ends as Exit
// ends it, saving its changes and removing its icon, without a question.
TEST_F(PasswordGateTest, TheMenuFormClosedFromOutsideEndsTheProgramLikeExit) {
    const std::string expected = StartAndChangeBehindTheSave();

    HWND form = MenuFormAfterAPopup();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(IconShown(main_));

    PostMessageW(form, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program_->WaitForExit().has_value()) << "closing the menu form did not end the program";
    EXPECT_EQ(folder_.Read(L"Data.db"), expected);
    EXPECT_FALSE(IconShown(main_)) << "the icon outlived the program";
}

// Closed through its own control menu, the form asks first; No keeps the program running.
TEST_F(PasswordGateTest, TheMenuFormsControlMenuAsksBeforeExiting) {
    StartProgram();
    HideToTray();
    HWND form = MenuFormAfterAPopup();
    ASSERT_NE(form, nullptr);

    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr) << "no question";
    EXPECT_EQ(MessageBoxText(box), L"OK to exit it?");
    EXPECT_EQ(WindowText(box), L"Tamborvin Form");
    EXPECT_NE(FindChildById(box, IDYES), nullptr);
    EXPECT_NE(FindChildById(box, IDNO), nullptr);
    EXPECT_EQ(FindChildById(box, IDOK, 0ms), nullptr);
    AnswerMessageBox(box, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    SendMessageW(form, WM_NULL, 0, 0);
    EXPECT_TRUE(program_->Running());
    EXPECT_TRUE(IsWindow(form));
    EXPECT_TRUE(IsWindow(main_));
    EXPECT_TRUE(IconShown(main_));

    // Yes ends it.
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    box = program_->WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    AnswerMessageBox(box, IDYES);
    ASSERT_TRUE(program_->WaitForExit().has_value()) << "Yes did not end the program";
    EXPECT_FALSE(IconShown(main_));
}

}  // namespace
}  // namespace tf::test
