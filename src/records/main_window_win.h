// frmMain: the main window of Tamborvin Form. It owns the running list of records (the grid
// model), shows it in the grid, saves it to the vault file and lives on in the notification
// area while hidden.
#pragma once

#include <array>
#include <string>

#include "base/windows_api_win.h"
#include "autofill/address_reader.h"
#include "autofill/browser_watch.h"
#include "autofill/browser_windows_win.h"
#include "autofill/credential_keys_win.h"
#include "hotkeys/hotkey_manager_win.h"
#include "hotkeys/hotkey_panel_win.h"
#include "hotkeys/ini_file_win.h"
#include "records/editor_window_win.h"
#include "records/exit_flow.h"
#include "records/grid_view_win.h"
#include "records/record_grid.h"
#include "records/record_search.h"
#include "shell/about_window_win.h"
#include "shell/hint_window_win.h"
#include "shell/tray_icon_win.h"
#include "shell/tray_menu_win.h"
#include "vault/config_window_win.h"
#include "vault/login_window_win.h"
#include "vault/settings.h"
#include "vault/settings_store_win.h"
#include "vault/vault_file.h"

namespace tf {

inline constexpr wchar_t kMainWindowClass[] = L"TamborvinFormMain";
inline constexpr wchar_t kAppTitle[] = L"Tamborvin Form";
// The program's icon in res/tamborvin_form.rc.
inline constexpr int kAppIconResource = 1;

// Control IDs of the main window; stable, so that tests can find and drive the controls.
enum MainWindowControl : int {
    kIdPicture1 = 1001,  // title band: a mouse press drags the window
    kIdLabel6,           // "Tamborvin Form 1.0"
    kIdLabel7,           // "  —": hides the window to the notification area
    kIdLabel8,           // "   X": exit
    kIdBtnAdd,
    kIdBtnModify,
    kIdBtnDelete,
    kIdBtnSearch,
    kIdText11,    // search box
    kIdMsGrid,    // the record grid (ListView)
    kIdCommand4,  // "关闭": exit
    kIdLabel5,    // "select brower"
    kIdCheck2,    // "ie"; Check3 "chrome", Check4 "firefox", Check5 "opera" follow in order
    kIdCheck3,
    kIdCheck4,
    kIdCheck5,
    kIdCommand1,     // the manual Internet Explorer read into Text7 (kept hidden)
    kIdWatchStatus,  // what the watch read last, or why nothing
};

// One watch timer per browser, in box order; the running one fires every second.
inline constexpr UINT_PTR kWatchTimerIe6 = 1;
// Timer1: starts the hotkey listener.
inline constexpr UINT_PTR kTimer1 = 10;
// A one-shot tick sooner than the next second (see BrowserWatch::FollowUpMs).
inline constexpr UINT_PTR kWalkFollowUpTimer = 11;

// F7-F10 are registered on the main window under these identifiers, in order, and type credential
// 1-4 of the page in front. They are held only while a window of the watched browser is in front:
// everywhere else they stay the other programs' keys (F7 spelling, F10 the menu bar).
inline constexpr int kFunctionKeyCount = 4;
inline constexpr int kFirstFunctionKeyId = 1;

class MainWindow {
public:
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window hidden, runs the start-up steps and shows it. False when the window
    // could not be created.
    bool Create(HINSTANCE instance);
    HWND Handle() const { return hwnd_; }

    // Shows the hidden window again and brings it to the front, once the password gate passed.
    void ShowMainWindow();
    // The master-password gate: passes when the password is remembered or the prompt accepted it.
    bool PasswordGate();
    // Writes the grid to the vault file; a failure is shown to the user.
    // False when the records could not be written (the user has been told why).
    bool SaveData();
    // Saves if anything changed, removes the notification icon and ends the program; false when
    // the save failed and the user chose to keep the program running.
    bool Exit();

    // Pastes credential 1-4 of the page in front into its focused field; the hotkeys call it with
    // their entry number.
    PressVerdict cHK_HotKeyPress(int hotKeyIndex);
    const CredentialSlots& Slots() const { return watch_.Slots(); }
    // The hotkey manager's HotKeyPress: a box's hotkey types that box's credential slot.
    void cHK_HotKeyPress(const HotkeyPress& press);

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Startup();
    void SetupGrid();
    void FillGrid();
    void TrimWorkingSet();
    // Takes F7-F10 when a window of the watched browser is in front, and gives them back otherwise.
    void UpdateFunctionKeys();
    void HotKeyWndProc(WPARAM identifier);
    void OnCommand(int id, int code);
    void OnTrayNotify(UINT mouseMessage);
    void mnuConfig_Click();
    bool OnClose();
    void OnPaint();
    HBRUSH OnCtlColorStatic(HDC dc, HWND control);
    int Px(int px96) const { return MulDiv(px96, dpi_, 96); }

    void btnAdd_Click();
    void btnModify_Click();
    void btnDelete_Click();
    void btnSearch_Click();
    void Text11_GotFocus();
    void msGrid_Open(int row);
    void msGrid_DeleteKey();
    void Label7_Click();
    void CheckBox_Click(Browser box);
    void Command1_Click();
    // Starts the one timer the watch runs and stops the others; the boxes show the watch's marks.
    void SyncWatch();
    // A tick soon, rather than at the next second: a box was ticked or a browser came to the front.
    void TickSoon(UINT milliseconds);
    void WatchTimer_Tick(UINT_PTR timer);
    // The hint window names the matched login address, or hides when nothing matched.
    void UpdateHintWindow();
    void AcceptEditedRecord(const LoginRecord& record, bool editMode, HWND editor);

    RecordGrid grid_;
    GridView gridView_{grid_};
    // One for the whole run: it remembers an unreadable vault, which the first save keeps aside.
    VaultFile vault_;
    TrayIcon tray_;
    // The row the editor was opened for in edit mode.
    RecordGrid::RowId editedRow_ = 0;
    EditorWindow editor_{[this](const LoginRecord& record, bool editMode, HWND editor) {
        AcceptEditedRecord(record, editMode, editor);
    }};
    HintWindow hint_;

    // The master password and the settings: read at start, changed by the settings window.
    RegistrySettingsStore store_;
    Session session_;
    LoginWindow login_;
    ConfigWindow config_;
    // Form1caidan: closing it ends the program like Exit.
    TrayMenu trayMenu_{[this] { return Exit(); }};
    AboutWindow about_;

    // The browser watch: its holders, txtSearch, Text7 and the credential slots Text1-Text4
    // and Text10, which the hint window shows.
    Win32BrowserWindows browserWindows_;
    AddressReader reader_{browserWindows_};
    BrowserWatch watch_;
    // Text7 of the manual Internet Explorer read.
    std::string text7_;
    // The function keys and hotkeys: they read the page in front themselves at the press.
    CredentialKeys credentialKeys_{browserWindows_, reader_};
    std::array<HWND, kBrowserCount> checkBoxes_{};

    // The hotkeys: the settings file, the manager with its start timer, and the panel.
    PrivateProfileIniFile ini_{IniPath(ProgramFolder())};
    WindowTimer timer1_{kTimer1, 10};
    cHotKey cHK_;
    HotkeyPanel panel_{cHK_, ini_, timer1_};
    // The "url" setting, read at start, and the same followed by a blank, kept when a row is opened.
    // Nothing reads either yet.
    std::string urlSetting_;
    std::string urlOfOpenedRow_;

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND text11_ = nullptr;
    HWND picture1_ = nullptr;
    HWND label6_ = nullptr;
    HWND label7_ = nullptr;
    HWND label8_ = nullptr;
    HWND label5_ = nullptr;
    HWND watchStatus_ = nullptr;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    HBRUSH bandBrush_ = nullptr;
    HBRUSH faceBrush_ = nullptr;
    int dpi_ = 96;
    ExitFlow exitFlow_;
    bool functionKeysHeld_ = false;
    HWINEVENTHOOK foregroundHook_ = nullptr;
};

}  // namespace tf
