#include "records/main_window_win.h"

#include "base/controls_win.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include <commctrl.h>
#include <shellapi.h>

#include "base/file_system.h"
#include "controls/is_button_win.h"
#include "base/window_helpers_win.h"

namespace tf {
namespace {

constexpr wchar_t kTitleBandClass[] = L"TamborvinFormTitleBand";
// Asks the main window to look at the window in front again.
constexpr UINT kForegroundChanged = WM_APP + 11;
// The window told of changes of the window in front; the hook's callback has no data of its own.
HWND foregroundListener = nullptr;

void CALLBACK ForegroundChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (foregroundListener) PostMessageW(foregroundListener, kForegroundChanged, 0, 0);
}
constexpr wchar_t kExitQuestion[] = L"OK to exit it ?";
constexpr wchar_t kUnsavedExitQuestion[] =
    L"The records could not be saved. Exit anyway? The changes since the last save will be lost.";
// Posted when the search box takes the focus, so that it runs after a click placed the caret.
constexpr UINT kSelectPlaceholder = WM_APP + 10;

// Layout at 96 dpi; scaled to the screen's real dpi.
constexpr int kWindowWidth = 820;
constexpr int kWindowHeight = 720;
constexpr int kBandHeight = 32;
constexpr int kMargin = 12;
constexpr int kHotkeyPanelHeight = 150;

const COLORREF kBandColor = RGB(2, 87, 157);
const COLORREF kFaceColor = RGB(235, 243, 251);
const COLORREF kBandText = RGB(255, 255, 255);
const COLORREF kHintText = RGB(70, 90, 110);

// The title band Picture1: pressing the mouse on it (or on its caption label, which lets the
// mouse through) drags the window; its labels' clicks and colours are the main window's business.
LRESULT CALLBACK TitleBandProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            DragWindow(GetAncestor(hwnd, GA_ROOT));
            return 0;
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
            return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
        case WM_SETCURSOR: {
            int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
            if (id == kIdLabel7 || id == kIdLabel8) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

MainWindow::MainWindow() : vault_(NativeFileSystem(), ProgramFolder()) {}

MainWindow::~MainWindow() {
    if (foregroundHook_) UnhookWinEvent(foregroundHook_);
    foregroundListener = nullptr;
    if (hwnd_) DestroyWindow(hwnd_);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(titleFont_),
                           static_cast<HGDIOBJ>(bandBrush_), static_cast<HGDIOBJ>(faceBrush_)}) {
        if (object) DeleteObject(object);
    }
    if (icon_) DestroyIcon(icon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

bool MainWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    // At a high scaling on a small screen the window shrinks as a whole to fit the work area.
    dpi_ = DpiToFit(ScreenDpi(), kWindowWidth, kWindowHeight, PrimaryWorkArea());

    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    bandBrush_ = CreateSolidBrush(kBandColor);
    faceBrush_ = CreateSolidBrush(kFaceColor);
    font_ = CreateUiFont(kGridFontSize, dpi_);
    titleFont_ = CreateUiFont(10, dpi_, FW_BOLD);

    // The band's brush is the class's: freed with the class.
    RegisterWindowClass(kTitleBandClass, TitleBandProc, CreateSolidBrush(kBandColor));
    if (!RegisterWindowClass(kMainWindowClass, OwnerWindowProc<MainWindow>, faceBrush_, CS_DBLCLKS, icon_, smallIcon_))
        return false;

    // Borderless: the title band Picture1 and its labels stand in for the caption and its buttons.
    hwnd_ = CreateCenteredWindow(WS_EX_APPWINDOW, kMainWindowClass, kAppTitle,
                                 WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, Px(kWindowWidth),
                                 Px(kWindowHeight), nullptr, this);
    if (!hwnd_) return false;

    Startup();
    // Loading has finished: show the window.
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    SetFocus(gridView_.Handle());
    return true;
}

void MainWindow::CreateControls() {
    int width = Px(kWindowWidth);
    int height = Px(kWindowHeight);

    picture1_ = CreateChild(hwnd_, 0, kTitleBandClass, L"", WS_CLIPCHILDREN, kIdPicture1, 0, 0, width, Px(kBandHeight),
                            nullptr);
    // No SS_NOTIFY on the caption label: it lets the mouse through to the band, which drags.
    label6_ = CreateChild(picture1_, 0, L"STATIC", L"Tamborvin Form 1.0", SS_LEFT, kIdLabel6, Px(kMargin), Px(8),
                          Px(300), Px(18), titleFont_);
    label7_ = CreateChild(picture1_, 0, L"STATIC", L"  —", SS_LEFT | SS_NOTIFY, kIdLabel7, width - Px(72), Px(7),
                          Px(30), Px(20), titleFont_);
    label8_ = CreateChild(picture1_, 0, L"STATIC", L"   X", SS_LEFT | SS_NOTIFY, kIdLabel8, width - Px(40), Px(7),
                          Px(30), Px(20), titleFont_);

    // Creation order is the Tab order.
    int top = Px(kBandHeight + 10);
    int buttonW = Px(80);
    int buttonH = Px(28);
    int gap = Px(8);
    int x = Px(kMargin);
    CreateProgramButton(hwnd_, L"Add", WS_TABSTOP | BS_PUSHBUTTON, kIdBtnAdd, x, top, buttonW, buttonH, font_);
    x += buttonW + gap;
    CreateProgramButton(hwnd_, L"Edit", WS_TABSTOP | BS_PUSHBUTTON, kIdBtnModify, x, top, buttonW, buttonH, font_);
    x += buttonW + gap;
    CreateProgramButton(hwnd_, L"Delete", WS_TABSTOP | BS_PUSHBUTTON, kIdBtnDelete, x, top, buttonW, buttonH, font_);

    // Wide enough for its whole hint text.
    int searchW = Px(290);
    int findX = width - Px(kMargin) - buttonW;
    text11_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", Widen(kSearchPlaceholder).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, findX - gap - searchW, top + Px(2),
                              searchW, buttonH - Px(4), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdText11)),
                              GetModuleHandleW(nullptr), nullptr);
    SendMessageW(text11_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    CreateProgramButton(hwnd_, L"Find", WS_TABSTOP | BS_PUSHBUTTON, kIdBtnSearch, findX, top, buttonW, buttonH, font_);

    int gridTop = top + buttonH + Px(10);
    int bottomBar = Px(48);
    int panelTop = height - bottomBar - Px(kHotkeyPanelHeight);
    RECT gridBounds{Px(kMargin), gridTop, width - Px(kMargin), panelTop - Px(14)};
    GridView::Handlers handlers;
    handlers.open = [this](int row) { msGrid_Open(row); };
    handlers.deleteKey = [this] { msGrid_DeleteKey(); };
    gridView_.Create(hwnd_, kIdMsGrid, gridBounds, font_, dpi_, std::move(handlers));

    panel_.Create(hwnd_, Px(kMargin), panelTop, width - 2 * Px(kMargin), font_, dpi_);
    panel_.SetCloseHandler([this] { Exit(); });

    int closeW = Px(88);
    int closeH = Px(30);
    int closeY = height - bottomBar + (bottomBar - closeH) / 2;
    // The browser row: which browser the watch reads the page address from.
    int rowX = Px(kMargin);
    label5_ = CreateChild(hwnd_, 0, L"STATIC", Widen(kBrowserRowCaption).c_str(), SS_LEFT | SS_CENTERIMAGE, kIdLabel5,
                          rowX, closeY, Px(96), closeH, font_);
    rowX += Px(100);
    for (int b = 0; b < kBrowserCount; ++b) {
        int boxW = Px(b == 0 ? 48 : 80);
        checkBoxes_[static_cast<std::size_t>(b)] =
            CreateChild(hwnd_, 0, L"BUTTON", Widen(kBrowserBoxCaptions[static_cast<std::size_t>(b)]).c_str(),
                        WS_TABSTOP | BS_AUTOCHECKBOX, kIdCheck2 + b, rowX, closeY, boxW, closeH, font_);
        rowX += boxW + gap;
    }
    // The manual read is a maintenance aid with nothing to show a user: it stays hidden.
    CreateWindowExW(0, L"BUTTON", L"Command1", WS_CHILD | BS_PUSHBUTTON, rowX, closeY, buttonW, closeH, hwnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdCommand1)), GetModuleHandleW(nullptr), nullptr);
    watchStatus_ = CreateChild(hwnd_, 0, L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX,
                               kIdWatchStatus, rowX, closeY, width - Px(kMargin) - closeW - gap - rowX, closeH, font_);
    CreateChild(hwnd_, 0, L"BUTTON", L"关闭", WS_TABSTOP | BS_PUSHBUTTON, kIdCommand4, width - Px(kMargin) - closeW,
                closeY, closeW, closeH, font_);
}

void MainWindow::Startup() {
    // The master password and the remember flag, for the password gate.
    session_ = LoadSession(store_);
    int alpha = 255;
    SetTopLayered(hwnd_, true, alpha, false);
    tray_.AddTrayIcon(hwnd_, smallIcon_ ? smallIcon_ : icon_, kAppTitle);
    SetupGrid();
    FillGrid();
    TrimWorkingSet();
    SetTopLayered(hwnd_, true, alpha, false);
    cHK_.frmHwnd(hwnd_);
    timer1_.SetWindow(hwnd_);
    cHK_.SetHotKeyPressHandler([this](const HotkeyPress& press) { cHK_HotKeyPress(press); });
    panel_.Start();
    watch_.Load();
    SyncWatch();
    // Told of every change of the window in front, without a hook inside other programs.
    foregroundListener = hwnd_;
    foregroundHook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, ForegroundChanged, 0,
                                      0, WINEVENT_OUTOFCONTEXT);
    if (hint_.Create(instance_)) {
        ShowWindow(hint_.Handle(), SW_SHOWNOACTIVATE);
        hint_.HideHint();
    }
    gridView_.HidePasswordColumn();
    urlSetting_ = ReadUrlSetting(ini_);
}

void MainWindow::UpdateFunctionKeys() {
    const auto watched = watch_.RunningTimer();
    const bool wanted = watched && browserWindows_.IsBrowserWindow(ReaderName(*watched), GetForegroundWindow());
    if (wanted == functionKeysHeld_ || !hwnd_) return;
    functionKeysHeld_ = wanted;
    for (int i = 0; i < kFunctionKeyCount; ++i) {
        // A key another program holds simply does not work here.
        if (wanted) {
            RegisterHotKey(hwnd_, kFirstFunctionKeyId + i, 0, VK_F7 + i);
        } else {
            UnregisterHotKey(hwnd_, kFirstFunctionKeyId + i);
        }
    }
}

void MainWindow::HotKeyWndProc(WPARAM identifier) {
    // One of the manager's, reaching the window rather than its listener.
    if (cHK_.HotkeyMessage(identifier)) return;
    const int slot = static_cast<int>(identifier) - kFirstFunctionKeyId + 1;
    if (identifier < kFirstFunctionKeyId || slot > kFunctionKeyCount) return;
    // Typed as the characters themselves: "+", "^", "%", "~", braces and parentheses included.
    credentialKeys_.Press(slot, false, watch_.RunningTimer(), grid_);
}

void MainWindow::cHK_HotKeyPress(const HotkeyPress& press) {
    // Through the box that registered it: an empty box in front does not shift the others.
    if (auto slot = panel_.SlotForPress(press.index)) cHK_HotKeyPress(*slot);
}

void MainWindow::SetupGrid() {
    grid_.SetupGrid();
    gridView_.SetupGrid();
    gridView_.Refresh();
}

void MainWindow::FillGrid() {
    std::vector<LoginRecord> records;
    std::string failure;
    if (!vault_.ReadDataFile(records, failure)) {
        try {
            grid_.FillGrid(records);
        } catch (const std::bad_alloc&) {
            // A failed load like any other: an empty list, and the file kept aside at the next save.
            grid_.SetupGrid();
            failure = vault_.LoadFailedOutOfMemory();
        }
        gridView_.Refresh();
    }
    // No vault file is a first start: nothing to say.
    if (!failure.empty()) MessageBoxW(hwnd_, Widen(failure).c_str(), kAppTitle, MB_OK);
}

void MainWindow::TrimWorkingSet() {
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

bool MainWindow::SaveData() {
    std::string failure;
    const bool failed = vault_.WriteDataFile(grid_.RecordsForSave(), failure);
    const std::string kept = vault_.TakeKeptNotice();
    if (!kept.empty()) MessageBoxW(hwnd_, Widen(kept).c_str(), kAppTitle, MB_OK | MB_ICONINFORMATION);
    if (failed && !failure.empty()) MessageBoxW(hwnd_, Widen(failure).c_str(), kAppTitle, MB_OK);
    return !failed;
}

bool MainWindow::Exit() {
    ExitFlow::Steps steps;
    steps.dataChanged = [this] { return grid_.DataChanged(); };
    steps.save = [this] { return SaveData(); };
    steps.endWithoutSaving = [this] {
        return MessageBoxW(hwnd_, kUnsavedExitQuestion, kAppTitle, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) ==
               IDYES;
    };
    steps.end = [this] {
        // A password pasted a moment ago does not stay on the clipboard after us.
        credentialKeys_.Flush();
        tray_.RemoveTrayIcon();
        DestroyWindow(hwnd_);
    };
    return exitFlow_.Run(steps);
}

bool MainWindow::PasswordGate() {
    if (session_.RememberPassword) return true;
    // A prompt already open is brought to the front and this request does not pass.
    if (!login_.ShowModal(hwnd_, session_)) return false;
    return session_.LoginAccepted;
}

void MainWindow::ShowMainWindow() {
    // The program may have ended while the prompt was open (Exit from the menu).
    if (!PasswordGate() || !hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    ForceForegroundWindow(hwnd_);
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void MainWindow::UpdateHintWindow() {
    const std::string& matched = watch_.Slots().Text10;
    if (matched.empty()) {
        hint_.HideHint();
    } else {
        hint_.ShowHint(matched);
    }
}

void MainWindow::CheckBox_Click(Browser box) {
    bool checked = SendMessageW(checkBoxes_[static_cast<std::size_t>(box)], BM_GETCHECK, 0, 0) == BST_CHECKED;
    watch_.BoxClicked(box, checked);
    SyncWatch();
    // The browser's page tree is built on the first request: ask now, not in a second.
    if (checked) TickSoon(0);
}

void MainWindow::TickSoon(UINT milliseconds) { SetTimer(hwnd_, kWalkFollowUpTimer, milliseconds, nullptr); }

void MainWindow::SyncWatch() {
    for (int b = 0; b < kBrowserCount; ++b) {
        const auto browser = static_cast<Browser>(b);
        SendMessageW(checkBoxes_[static_cast<std::size_t>(b)], BM_SETCHECK,
                     watch_.Checked(browser) ? BST_CHECKED : BST_UNCHECKED, 0);
        const UINT_PTR timer = kWatchTimerIe6 + static_cast<UINT_PTR>(b);
        if (watch_.RunningTimer() == browser) {
            SetTimer(hwnd_, timer, kWatchIntervalMs, nullptr);
        } else {
            KillTimer(hwnd_, timer);
        }
    }
    UpdateFunctionKeys();
}

void MainWindow::WatchTimer_Tick(UINT_PTR timer) {
    const auto running = watch_.RunningTimer();
    if (timer == kWalkFollowUpTimer) KillTimer(hwnd_, kWalkFollowUpTimer);
    if (!running || (timer != kWatchTimerIe6 + static_cast<UINT_PTR>(*running) && timer != kWalkFollowUpTimer)) return;
    watch_.Tick(reader_, grid_);
    UpdateHintWindow();
    if (TextOf(watchStatus_) != watch_.StatusText()) SetWindowTextW(watchStatus_, Widen(watch_.StatusText()).c_str());
    // In case a change of the window in front went unheard.
    UpdateFunctionKeys();
    if (const int soon = watch_.FollowUpMs()) TickSoon(static_cast<UINT>(soon));
}

void MainWindow::Command1_Click() { text7_ = browserWindows_.ReadIEManual(); }

PressVerdict MainWindow::cHK_HotKeyPress(int hotKeyIndex) {
    return credentialKeys_.Press(hotKeyIndex, true, watch_.RunningTimer(), grid_);
}

void MainWindow::btnAdd_Click() { editor_.ShowEditor(hwnd_, LoginRecord{}, false); }

void MainWindow::btnModify_Click() {
    gridView_.SyncCurrentRow();
    if (!grid_.HasCurrentRecord()) {
        MessageBoxW(hwnd_, Widen(kSelectRecordToEdit).c_str(), kAppTitle, MB_OK | MB_ICONINFORMATION);
        SetFocus(gridView_.Handle());
        return;
    }
    editedRow_ = grid_.IdOfRow(grid_.CurrentRow());
    editor_.ShowEditor(hwnd_, grid_.RowRecord(grid_.CurrentRow()), true);
}

void MainWindow::AcceptEditedRecord(const LoginRecord& record, bool editMode, HWND editor) {
    if (editMode) {
        // The editor does not block the main window: rows may have been deleted meanwhile, which
        // renumbers the rest. The change goes to the row it was opened for, wherever that is now.
        const int row = grid_.RowOfId(editedRow_);
        if (row < 0) {
            // Asked on the editor's behalf and modal to it, so that its OK cannot be pressed again
            // while the question is open.
            if (MessageBoxW(editor ? editor : hwnd_, Widen(kEditedRecordDeleted).c_str(), kAppTitle,
                            MB_YESNO | MB_ICONQUESTION) != IDYES) {
                return;
            }
            grid_.AddGridRow(record);
        } else {
            LoginRecord placed = record;
            placed[kLineNum] = grid_.Cell(row, 0);
            grid_.UpdateGridRow(placed);
        }
    } else {
        grid_.AddGridRow(record);
    }
    gridView_.Refresh();
    // Saved at once, so that a crash or a killed process loses no change.
    SaveData();
}

void MainWindow::btnSearch_Click() {
    FilterGrid(grid_, TextOf(text11_));
    gridView_.Refresh();
}

void MainWindow::Text11_GotFocus() {
    // The placeholder is a hint, not a search: typing replaces it.
    if (TextOf(text11_) == kSearchPlaceholder) PostMessageW(hwnd_, kSelectPlaceholder, 0, 0);
}

void MainWindow::btnDelete_Click() {
    gridView_.SyncCurrentRow();
    if (!grid_.DeleteGridRow()) {
        MessageBoxW(hwnd_, Widen(kSelectRecordToDelete).c_str(), kAppTitle, MB_OK | MB_ICONINFORMATION);
        SetFocus(gridView_.Handle());
        return;
    }
    gridView_.Refresh();
    // Saved at once, so that a crash or a killed process loses no change.
    SaveData();
}

void MainWindow::msGrid_DeleteKey() {
    gridView_.SyncCurrentRow();
    // A key is easily pressed by mistake, and the delete is saved at once: asked first, No by default.
    if (grid_.HasCurrentRecord()) {
        const std::string question = DeleteKeyQuestion(grid_.Cell(grid_.CurrentRow(), kSiteName));
        if (MessageBoxW(hwnd_, Widen(question).c_str(), kAppTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
            IDYES) {
            return;
        }
    }
    btnDelete_Click();
}

void MainWindow::msGrid_Open(int row) {
    urlOfOpenedRow_ = urlSetting_ + " ";
    std::wstring url = Widen(grid_.Cell(row, kLoginUrl));
    ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainWindow::Label7_Click() { ShowWindow(hwnd_, SW_HIDE); }

void MainWindow::OnCommand(int id, int code) {
    if (panel_.OnCommand(id, code)) return;
    if (id == kIdText11) {
        if (code == EN_SETFOCUS) Text11_GotFocus();
        return;
    }
    if (code != BN_CLICKED) return;  // STN_CLICKED has the same value
    switch (id) {
        case IDOK:
            // Enter, sent by the dialog keys of the message loop: in the search box it searches.
            if (GetFocus() == text11_) btnSearch_Click();
            break;
        case kIdBtnAdd:
            btnAdd_Click();
            break;
        case kIdBtnModify:
            btnModify_Click();
            break;
        case kIdBtnSearch:
            btnSearch_Click();
            break;
        case kIdBtnDelete:
            btnDelete_Click();
            break;
        case kIdCheck2:
        case kIdCheck3:
        case kIdCheck4:
        case kIdCheck5:
            CheckBox_Click(static_cast<Browser>(id - kIdCheck2));
            break;
        case kIdCommand1:
            Command1_Click();
            break;
        case kIdLabel7:
            Label7_Click();
            break;
        case kIdLabel8:
        case kIdCommand4:
        case kIdMnuExit:
            Exit();
            break;
        case kIdMnuConfig:
            mnuConfig_Click();
            break;
        case kIdMnuAbout:
            about_.Show(hwnd_, [this] { Exit(); });
            break;
        default:
            break;
    }
}

void MainWindow::OnTrayNotify(UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONUP:
            if (!IsWindowVisible(hwnd_)) ShowMainWindow();
            break;
        case WM_RBUTTONUP:
            trayMenu_.Popup(hwnd_);
            break;
        default:
            break;
    }
}

void MainWindow::mnuConfig_Click() {
    // Open already: the user passed the gate for it, so it only comes to the front.
    if (!config_.IsOpen() && (!PasswordGate() || !hwnd_)) return;
    config_.ShowConfig(hwnd_, session_, store_);
}

bool MainWindow::OnClose() {
    if (!AskYesNo(hwnd_, kExitQuestion, kAppTitle)) return false;
    // Closing through the window menu ends the program like Exit: otherwise it would go on
    // running without a window, its changes unsaved.
    Exit();
    return true;
}

void MainWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    // A borderless window needs an edge of its own against a white desktop or window behind it.
    RECT client;
    GetClientRect(hwnd_, &client);
    FrameRect(dc, &client, bandBrush_);
    EndPaint(hwnd_, &ps);
}

HBRUSH MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
    if (control == label6_ || control == label7_ || control == label8_) {
        SetTextColor(dc, kBandText);
        SetBkColor(dc, kBandColor);
        return bandBrush_;
    }
    const bool inBrowserRow = control == label5_ || control == watchStatus_ ||
                              std::find(checkBoxes_.begin(), checkBoxes_.end(), control) != checkBoxes_.end();
    if (panel_.StandsOnFace(control)) {
        SetBkColor(dc, kFaceColor);
        return faceBrush_;
    }
    if (inBrowserRow) {
        SetTextColor(dc, kHintText);
        SetBkColor(dc, kFaceColor);
        return faceBrush_;
    }
    return nullptr;
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == TrayIcon::TaskbarCreatedMessage() && msg != 0) {
        // Explorer restarted and forgot every icon.
        tray_.Readd();
        return 0;
    }
    switch (msg) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (gridView_.OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
            break;
        }
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush = OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_TIMER:
            if (!cHK_.TimerTick(wParam)) WatchTimer_Tick(wParam);
            return 0;
        case WM_HOTKEY:
            HotKeyWndProc(wParam);
            return 0;
        case WM_DRAWITEM:
            if (panel_.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case kTrayCallbackMessage:
            OnTrayNotify(LOWORD(lParam));
            return 0;
        case kSelectPlaceholder:
            if (GetFocus() == text11_) SendMessageW(text11_, EM_SETSEL, 0, -1);
            return 0;
        case kForegroundChanged:
            UpdateFunctionKeys();
            // A browser window come to the front is asked for its page at once.
            if (functionKeysHeld_) TickSoon(0);
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            // Log-off or shutdown may end the process without another word: keep the changes now,
            // and hold the session open when they could not be kept.
            return grid_.DataChanged() && !SaveData() ? FALSE : TRUE;
        case WM_ENDSESSION:
            if (wParam) tray_.RemoveTrayIcon();
            return 0;
        case WM_DESTROY:
            tray_.RemoveTrayIcon();
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
