#include "records/main_window_win.h"

#include <cstdio>
#include <new>
#include <optional>
#include <utility>

#include <shellapi.h>

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"
#include "base/dpi_win.h"
#include "base/file_dialog_win.h"
#include "base/file_system.h"
#include "base/program_look_win.h"
#include "base/screen_fit.h"
#include "base/text.h"
#include "base/window_helpers_win.h"
#include "base/wipe.h"
#include "controls/is_button_win.h"
#include "records/login_import.h"
#include "records/login_transfer.h"
#include "records/record_search.h"

namespace tf {
namespace {

constexpr wchar_t kTitleBandClass[] = L"TamborvinFormTitleBand";
constexpr wchar_t kExitQuestion[] = L"OK to exit it ?";
// Posted when the search box takes the focus, so that it runs after a click placed the caret.
constexpr UINT kSelectPlaceholder = WM_APP + 10;

constexpr wchar_t kCsvFilter[] = L"CSV 文件 (*.csv)\0*.csv\0所有文件 (*.*)\0*.*\0";
constexpr char kImportListChanged[] = "导入前记录已被修改，没有导入任何内容。请重新导入。";
constexpr char kImportOutOfMemory[] = "内存不足，无法导入这个文件。";

// Clears a flag when the scope ends, however it ends.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

// Layout at 96 dpi; scaled to the scaling the window is laid out at.
constexpr int kWindowWidth = 820;
constexpr int kWindowHeight = 720;
constexpr int kBandHeight = 32;
constexpr int kMargin = 12;
constexpr int kHotkeyPanelHeight = 150;

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

MainWindow::MainWindow(RecordGrid& grid, Hooks hooks) : grid_(grid), hooks_(std::move(hooks)) {}

MainWindow::~MainWindow() { Destroy(); }

void MainWindow::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    const Dpi monitor = DpiForNewWindow(nullptr);
    // At a high scaling on a small screen the window shrinks as a whole to fit the work area.
    dpi_ = DpiToFit(monitor.Value(), kWindowWidth, kWindowHeight, PrimaryWorkArea());

    // The notification area is the shell's, drawn at the system's scaling.
    trayIcon_.Reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    bandBrush_.Reset(CreateSolidBrush(kBandBlue));
    faceBrush_.Reset(CreateSolidBrush(kFaceColour));
    MakeFonts();

    // The band's brush is the class's: freed with the class. The window's icons are set on it rather
    // than on the class: they are remade for each scaling.
    RegisterWindowClass(kTitleBandClass, TitleBandProc, CreateSolidBrush(kBandBlue));
    if (!RegisterWindowClass(kMainWindowClass, OwnerWindowProc<MainWindow>, faceBrush_.Get(), CS_DBLCLKS)) return false;

    // Borderless: the title band Picture1 and its labels stand in for the caption and its buttons.
    hwnd_ = CreateCenteredWindow(WS_EX_APPWINDOW, kMainWindowClass, kProgramTitle,
                                 WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, dpi_.Px(kWindowWidth),
                                 dpi_.Px(kWindowHeight), nullptr, this, dpi_);
    if (!hwnd_) return false;
    MakeIcons(monitor);
    grid_.SetupGrid();
    gridView_.SetupGrid();
    return true;
}

void MainWindow::MakeFonts() {
    font_.Reset(CreateUiFont(kGridFontSize, dpi_));
    titleFont_.Reset(CreateUiFont(10, dpi_, FW_BOLD));
}

void MainWindow::MakeIcons(Dpi monitor) {
    const auto load = [this, monitor](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                             MetricAt(metricX, monitor), MetricAt(metricY, monitor), 0));
    };
    // The window holds the new icons before the old ones are freed.
    UniqueIcon big(load(SM_CXICON, SM_CYICON));
    UniqueIcon smallOne(load(SM_CXSMICON, SM_CYSMICON));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallOne.Get()));
    icon_ = std::move(big);
    smallIcon_ = std::move(smallOne);
}

void MainWindow::Show() {
    gridView_.Refresh();
    gridView_.HidePasswordColumn();
    // Loading has finished: show the window.
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    SetFocus(gridView_.Handle());
}

void MainWindow::Layout() {
    const int width = dpi_.Px(kWindowWidth);
    const int height = dpi_.Px(kWindowHeight);
    const HFONT font = font_.Get();
    const HFONT title = titleFont_.Get();

    const int bandH = dpi_.Px(kBandHeight);
    if (picture1_) {
        MoveChild(picture1_, 0, 0, width, bandH, nullptr);
    } else {
        picture1_ =
            CreateChild(hwnd_, 0, kTitleBandClass, L"", WS_CLIPCHILDREN, kIdPicture1, 0, 0, width, bandH, nullptr);
    }
    // No SS_NOTIFY on the caption label: it lets the mouse through to the band, which drags.
    const int captionX = dpi_.Px(kMargin);
    if (label6_) {
        MoveChild(label6_, captionX, dpi_.Px(8), dpi_.Px(300), dpi_.Px(18), title);
    } else {
        label6_ = CreateChild(picture1_, 0, L"STATIC", L"Tamborvin Form 1.0", SS_LEFT, kIdLabel6, captionX, dpi_.Px(8),
                              dpi_.Px(300), dpi_.Px(18), title);
    }
    const struct {
        HWND& label;
        const wchar_t* text;
        int id;
        int fromRight;
    } bandLabels[] = {{label7_, L"  —", kIdLabel7, 72}, {label8_, L"   X", kIdLabel8, 40}};
    for (const auto& l : bandLabels) {
        const int x = width - dpi_.Px(l.fromRight);
        if (l.label) {
            MoveChild(l.label, x, dpi_.Px(7), dpi_.Px(30), dpi_.Px(20), title);
        } else {
            l.label = CreateChild(picture1_, 0, L"STATIC", l.text, SS_LEFT | SS_NOTIFY, l.id, x, dpi_.Px(7),
                                  dpi_.Px(30), dpi_.Px(20), title);
        }
    }

    // Creation order is the Tab order.
    const int top = dpi_.Px(kBandHeight + 10);
    const int buttonW = dpi_.Px(80);
    const int buttonH = dpi_.Px(28);
    const int gap = dpi_.Px(8);
    // Five buttons on the left leave the search box its width.
    const struct {
        const wchar_t* text;
        int id;
    } leftButtons[] = {{L"Add", kIdBtnAdd},
                       {L"Edit", kIdBtnModify},
                       {L"Delete", kIdBtnDelete},
                       {L"Import...", kIdBtnImport},
                       {L"Export...", kIdBtnExport}};
    const int leftW = dpi_.Px(72);
    int x = dpi_.Px(kMargin);
    for (std::size_t i = 0; i < leftButtons_.size(); ++i) {
        if (leftButtons_[i]) {
            MoveChild(leftButtons_[i], x, top, leftW, buttonH, font);
        } else {
            leftButtons_[i] = CreateProgramButton(hwnd_, leftButtons[i].text, WS_TABSTOP | BS_PUSHBUTTON,
                                                  leftButtons[i].id, x, top, leftW, buttonH, font);
        }
        x += leftW + gap;
    }

    // Wide enough for its whole hint text.
    const int searchW = dpi_.Px(290);
    const int findX = width - dpi_.Px(kMargin) - buttonW;
    const int searchX = findX - gap - searchW;
    if (text11_) {
        MoveChild(text11_, searchX, top + dpi_.Px(2), searchW, buttonH - dpi_.Px(4), font);
    } else {
        text11_ = CreateChild(hwnd_, WS_EX_CLIENTEDGE, L"EDIT", Widen(kSearchPlaceholder).c_str(),
                              WS_TABSTOP | ES_AUTOHSCROLL, kIdText11, searchX, top + dpi_.Px(2), searchW,
                              buttonH - dpi_.Px(4), font);
    }
    if (btnSearch_) {
        MoveChild(btnSearch_, findX, top, buttonW, buttonH, font);
    } else {
        btnSearch_ = CreateProgramButton(hwnd_, L"Find", WS_TABSTOP | BS_PUSHBUTTON, kIdBtnSearch, findX, top, buttonW,
                                         buttonH, font);
    }

    const int gridTop = top + buttonH + dpi_.Px(10);
    const int bottomBar = dpi_.Px(48);
    const int panelTop = height - bottomBar - dpi_.Px(kHotkeyPanelHeight);
    const RECT gridBounds{dpi_.Px(kMargin), gridTop, width - dpi_.Px(kMargin), panelTop - dpi_.Px(14)};
    if (gridView_.Handle()) {
        gridView_.Relayout(gridBounds, font, dpi_);
    } else {
        GridView::Handlers handlers;
        handlers.open = [this](int row) { msGrid_Open(row); };
        handlers.deleteKey = [this] { msGrid_DeleteKey(); };
        gridView_.Create(hwnd_, kIdMsGrid, gridBounds, font, dpi_, std::move(handlers));
    }

    const int closeW = dpi_.Px(88);
    const int closeH = dpi_.Px(30);
    const int closeY = height - bottomBar + (bottomBar - closeH) / 2;
    const int closeX = width - dpi_.Px(kMargin) - closeW;
    if (hooks_.layParts) {
        MainWindowLayout layout{hwnd_, dpi_.Px(kMargin), panelTop, width - 2 * dpi_.Px(kMargin), {}, font, dpi_};
        layout.bottomRow = RECT{dpi_.Px(kMargin), closeY, closeX - gap, closeY + closeH};
        hooks_.layParts(layout);
    }
    if (command4_) {
        MoveChild(command4_, closeX, closeY, closeW, closeH, font);
    } else {
        command4_ = CreateChild(hwnd_, 0, L"BUTTON", L"关闭", WS_TABSTOP | BS_PUSHBUTTON, kIdCommand4, closeX, closeY,
                                closeW, closeH, font);
    }
}

void MainWindow::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    const Dpi monitor = HIWORD(wParam) > 0 ? Dpi(HIWORD(wParam)) : DpiOf(hwnd_);
    RECT at;
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        at = *suggested;
    } else {
        GetWindowRect(hwnd_, &at);
    }
    // The rule of the start holds on every monitor: on a small one at a high scaling the window
    // shrinks as a whole to its work area. Its controls see the scaling it really uses.
    const ScreenBox work = WorkAreaNear(at);
    dpi_ = DpiToFit(monitor.Value(), kWindowWidth, kWindowHeight, work);
    SetWindowDpi(hwnd_, dpi_);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    const RECT frame = FrameAround(dpi_.Px(kWindowWidth), dpi_.Px(kWindowHeight), style, exStyle, dpi_);
    const ScreenBox box =
        FitInside({at.left, at.top, at.left + frame.right - frame.left, at.top + frame.bottom - frame.top}, work);
    SetWindowPos(hwnd_, nullptr, box.left, box.top, box.Width(), box.Height(), SWP_NOZORDER | SWP_NOACTIVATE);

    // The controls hold the old fonts until the layout has given them the new ones.
    UniqueFont oldFont = std::move(font_);
    UniqueFont oldTitleFont = std::move(titleFont_);
    MakeFonts();
    MakeIcons(monitor);
    Layout();
    TellControlsDpiChanged(hwnd_);
    RepaintAll(hwnd_);
}

void MainWindow::btnAdd_Click() { editor_.ShowEditor(hwnd_, LoginRecord{}, false); }

void MainWindow::btnModify_Click() {
    gridView_.SyncCurrentRow();
    if (!grid_.HasCurrentRecord()) {
        MessageBoxW(hwnd_, Widen(kSelectRecordToEdit).c_str(), kProgramTitle, MB_OK | MB_ICONINFORMATION);
        SetFocus(gridView_.Handle());
        return;
    }
    editedRow_ = grid_.IdOfRow(grid_.CurrentRow());
    editor_.ShowEditor(hwnd_, grid_.RowRecord(grid_.CurrentRow()), true);
}

void MainWindow::AcceptEditedRecord(const LoginRecord& record, bool editMode, HWND editor) {
    const EditApplied applied = ApplyEditedRecord(grid_, editedRow_, record, editMode, [&] {
        // Asked on the editor's behalf and modal to it, so that its OK cannot be pressed again
        // while the question is open.
        return MessageBoxW(editor ? editor : hwnd_, Widen(kEditedRecordDeleted).c_str(), kProgramTitle,
                           MB_YESNO | MB_ICONQUESTION) == IDYES;
    });
    if (applied == EditApplied::kDropped) return;
    gridView_.Refresh();
    // Saved at once, so that a crash or a killed process loses no change.
    hooks_.save();
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
        MessageBoxW(hwnd_, Widen(kSelectRecordToDelete).c_str(), kProgramTitle, MB_OK | MB_ICONINFORMATION);
        SetFocus(gridView_.Handle());
        return;
    }
    gridView_.Refresh();
    // Saved at once, so that a crash or a killed process loses no change.
    hooks_.save();
}

void MainWindow::msGrid_DeleteKey() {
    gridView_.SyncCurrentRow();
    // A key is easily pressed by mistake, and the delete is saved at once: asked first, No by default.
    if (grid_.HasCurrentRecord()) {
        const std::string question = DeleteKeyQuestion(grid_.Cell(grid_.CurrentRow(), kSiteName));
        if (MessageBoxW(hwnd_, Widen(question).c_str(), kProgramTitle, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
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

void MainWindow::ImportLogins() {
    if (transferring_) {
        if (preview_.Handle()) SetForegroundWindow(preview_.Handle());
        return;
    }
    FlagScope busy(transferring_);
    FileDialogOptions options;
    options.title = L"导入登录信息";
    options.filter = kCsvFilter;
    const std::optional<std::wstring> path = AskOpenFile(hwnd_, options);
    if (!path) return;
    const auto tell = [this](const std::string& text) {
        MessageBoxW(hwnd_, Widen(text).c_str(), kProgramTitle, MB_OK | MB_ICONINFORMATION);
    };
    const std::vector<LoginRecord> before = grid_.RecordsForSave();
    ImportPlanResult planned;
    try {
        std::string message;
        std::optional<std::string> bytes = ReadImportFile(NativeFileSystem(), Narrow(*path), message);
        if (!bytes) return tell(message);
        planned = PlanImport(*bytes, before);
        WipeString(*bytes);
    } catch (const std::bad_alloc&) {
        return tell(kImportOutOfMemory);
    }
    if (!planned.plan) return tell(planned.error);
    if (!preview_.ShowModal(hwnd_, *planned.plan)) return;
    // The editor stays usable while the preview is open: a record it changed meanwhile is not
    // overwritten by a plan made for the list before.
    if (grid_.RecordsForSave() != before) return tell(kImportListChanged);
    const std::optional<std::vector<LoginRecord>> after = ApplyImport(before, *planned.plan);
    if (!after || *after == before) return;
    SetGridRecords(grid_, *after);
    gridView_.Refresh();
    // Saved once for the whole file; when that fails the list is as it was before the import.
    if (!hooks_.save()) {
        SetGridRecords(grid_, before);
        gridView_.Refresh();
    }
}

void MainWindow::ExportLogins() {
    if (transferring_) return;
    FlagScope busy(transferring_);
    if (hooks_.exportGate && !hooks_.exportGate()) return;
    if (MessageBoxW(hwnd_, Widen(kExportWarning).c_str(), kProgramTitle,
                    MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) != IDOK) {
        return;
    }
    FileDialogOptions options;
    options.title = L"导出登录信息";
    options.filter = kCsvFilter;
    options.defaultExtension = L"csv";
    options.fileName = L"logins.csv";
    const std::optional<std::wstring> path = AskSaveFile(hwnd_, options);
    if (!path) return;
    std::vector<LoginRecord> records = grid_.RecordsForSave();
    std::string message;
    const bool written = WriteExportFile(NativeFileSystem(), Narrow(*path), records, message);
    for (LoginRecord& record : records) WipeString(record[kPassword]);
    if (written) {
        char done[64];
        std::snprintf(done, sizeof done, kExportDone, records.size());
        message = done;
    }
    MessageBoxW(hwnd_, Widen(message).c_str(), kProgramTitle, MB_OK | (written ? MB_ICONINFORMATION : MB_ICONERROR));
}

void MainWindow::OnCommand(int id, int code) {
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
        case kIdBtnImport:
            ImportLogins();
            break;
        case kIdBtnExport:
            ExportLogins();
            break;
        case kIdLabel7:
            // Hidden to the notification area.
            ShowWindow(hwnd_, SW_HIDE);
            break;
        case kIdLabel8:
        case kIdCommand4:
            hooks_.exit();
            break;
        default:
            break;
    }
}

bool MainWindow::OnClose() {
    if (!AskYesNo(hwnd_, kExitQuestion, kProgramTitle)) return false;
    // Closing through the window menu ends the program like Exit: otherwise it would go on
    // running without a window, its changes unsaved.
    hooks_.exit();
    return true;
}

void MainWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    // A borderless window needs an edge of its own against a white desktop or window behind it.
    RECT client;
    GetClientRect(hwnd_, &client);
    // As thick as the scaling makes a pixel of the layout, so that it keeps its weight at 200 %.
    const int edge = dpi_.Px(1);
    for (int i = 0; i < edge; ++i) {
        FrameRect(dc, &client, bandBrush_.Get());
        InflateRect(&client, -1, -1);
    }
    EndPaint(hwnd_, &ps);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_CREATE) {
        LRESULT result = 0;
        for (WindowPart* part : parts_) {
            if (part->OnMessage(msg, wParam, lParam, result)) return result;
        }
    }
    switch (msg) {
        case WM_CREATE:
            // Before the controls: the program's own ones ask the window for its scaling.
            SetWindowDpi(hwnd_, dpi_);
            Layout();
            return 0;
        case kGetDpiScaledSize: {
            // The size it will take there, shrunk to the work area where it stands now, so that
            // Windows suggests that size rather than the present one scaled.
            RECT now;
            GetWindowRect(hwnd_, &now);
            return AnswerDpiScaledSize(hwnd_, wParam, lParam, [&now](Dpi next) {
                const Dpi at = DpiToFit(next.Value(), kWindowWidth, kWindowHeight, WorkAreaNear(now));
                return SIZE{at.Px(kWindowWidth), at.Px(kWindowHeight)};
            });
        }
        case kDpiChanged:
            OnDpiChanged(wParam, lParam);
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (gridView_.OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
            break;
        }
        case WM_CTLCOLORSTATIC: {
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (control == label6_ || control == label7_ || control == label8_) {
                const HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, kBandText);
                SetBkColor(dc, kBandBlue);
                return reinterpret_cast<LRESULT>(bandBrush_.Get());
            }
            break;
        }
        case WM_PAINT:
            OnPaint();
            return 0;
        case kSelectPlaceholder:
            if (GetFocus() == text11_) SendMessageW(text11_, EM_SETSEL, 0, -1);
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
