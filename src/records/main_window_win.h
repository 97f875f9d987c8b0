// frmMain: the main window of Tamborvin Form, the records' window. It shows the grid of records with
// its buttons and search box and the editor for a record; what else stands on it (the hotkey panel,
// the row of browser boxes) is laid in by the parts that own it, which also answer their messages.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/window_part_win.h"
#include "base/windows_api_win.h"
#include "records/editor_window_win.h"
#include "records/grid_view_win.h"
#include "records/import_preview_win.h"
#include "records/record_grid.h"

namespace tf {

inline constexpr wchar_t kMainWindowClass[] = L"TamborvinFormMain";
// The program's icon in res/tamborvin_form.rc.
inline constexpr int kAppIconResource = 1;

// Control IDs of the main window; stable, so that tests can find and drive the controls. The other
// parts' controls on it keep IDs of their own ranges.
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
    // After the browser row's range (from 1012).
    kIdBtnImport = 1040,
    kIdBtnExport,
};

// Where the other parts lay their controls, in the window's pixels at its present scaling.
struct MainWindowLayout {
    HWND window;
    // The hotkey panel: from (x, y), this wide.
    int panelX, panelY, panelWidth;
    // The row left of the close button.
    RECT bottomRow;
    HFONT font;
    Dpi dpi;
};

class MainWindow {
public:
    struct Hooks {
        // Lays the other parts' controls in between the grid and the close button, at every layout:
        // the first makes them (creation order is the Tab order), a later one at another scaling
        // moves them and gives them the new font.
        std::function<void(const MainWindowLayout&)> layParts;
        // Writes the records now; false when they could not be written (the user has been told).
        std::function<bool()> save;
        // Exit: the band's X, "关闭" and the window menu's Close.
        std::function<bool()> exit;
        // Asked before an export: true when it may go on (the master password, when one is set,
        // typed again even when it is remembered).
        std::function<bool()> exportGate;
    };

    // The grid must outlive the window.
    MainWindow(RecordGrid& grid, Hooks hooks);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Each part is asked first, in the order added, for every message of the window. Parts must
    // outlive the window or be added before it is created and stay until Destroy.
    void AddPart(WindowPart& part) { parts_.push_back(&part); }
    // Creates the window hidden, its controls and the parts' controls. False when it could not.
    bool Create(HINSTANCE instance);
    // After start-up: the loaded records shown, the window in front with the grid focused.
    void Show();
    void Destroy();
    HWND Handle() const { return hwnd_; }
    // The icon for the notification area, at the system's size for it; it stays for the window's life.
    HICON Icon() const { return trayIcon_.Get(); }
    // Imports logins from a CSV file the user picks, after the preview's OK; saves once. The caller
    // has passed the password gate.
    void ImportLogins();
    // Writes the records to a CSV file the user picks, after the export gate and a warning.
    void ExportLogins();
    // The "url" setting, kept with a blank when a row is opened. Nothing reads either yet.
    void SetUrlSetting(std::string url) { urlSetting_ = std::move(url); }

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Makes the controls at the first call; at a later one (another scaling) moves them and gives
    // them the fonts of dpi_, so that a window moved to a monitor is laid out as one opened there.
    void Layout();
    void MakeFonts();
    // The window's icons at the scaling of its monitor (which may be above the one it is laid out at).
    void MakeIcons(Dpi monitor);
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    bool OnClose();
    void OnPaint();

    void btnAdd_Click();
    void btnModify_Click();
    void btnDelete_Click();
    void btnSearch_Click();
    void Text11_GotFocus();
    void msGrid_Open(int row);
    void msGrid_DeleteKey();
    void AcceptEditedRecord(const LoginRecord& record, bool editMode, HWND editor);

    RecordGrid& grid_;
    Hooks hooks_;
    std::vector<WindowPart*> parts_;
    GridView gridView_{grid_};
    // The row the editor was opened for in edit mode.
    RecordGrid::RowId editedRow_ = 0;
    EditorWindow editor_{[this](const LoginRecord& record, bool editMode, HWND editor) {
        AcceptEditedRecord(record, editMode, editor);
    }};
    ImportPreview preview_;
    // One import or export at a time: the file dialogs and the preview let other windows run.
    bool transferring_ = false;
    std::string urlSetting_;
    std::string urlOfOpenedRow_;

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND picture1_ = nullptr;
    HWND label6_ = nullptr;
    HWND label7_ = nullptr;
    HWND label8_ = nullptr;
    std::array<HWND, 5> leftButtons_{};
    HWND text11_ = nullptr;
    HWND btnSearch_ = nullptr;
    HWND command4_ = nullptr;
    UniqueIcon icon_;
    UniqueIcon smallIcon_;
    UniqueIcon trayIcon_;
    UniqueFont font_;
    UniqueFont titleFont_;
    UniqueBrush bandBrush_;
    UniqueBrush faceBrush_;
    // What the window is laid out at: its monitor's scaling, or less where the window would not fit.
    Dpi dpi_;
};

}  // namespace tf
