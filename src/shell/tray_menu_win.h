// Form1caidan: the form that holds the notification icon's pop-up menu ("Setting", "Import...",
// "Export...", a separator, "About...", "Exit"). It is a real top-level window that is never shown, made the first time
// the menu is needed and kept for the run. The menu's items arrive at the window the menu pops up for as WM_COMMAND
// with the IDs below; that window carries them out.
//
// Closing the form ends the program the way Exit does. A close from outside (WM_CLOSE, as another
// program or the task manager sends it) is not asked about; one from the form's own control menu
// (WM_SYSCOMMAND SC_CLOSE) asks "OK to exit it?" first, and No keeps the program running.
#pragma once

#include <functional>

#include "base/windows_api_win.h"

namespace tf {

enum TrayMenuItem : int {
    kIdMnuConfig = 4201,  // "Setting"
    kIdMnuAbout = 4202,   // "About..."
    kIdMnuExit = 4203,    // "Exit"
    kIdMnuImport = 4204,  // "Import...": logins from a CSV file
    kIdMnuExport = 4205,  // "Export...": the records to a CSV file
};

inline constexpr wchar_t kTrayMenuClass[] = L"TamborvinFormTrayMenu";
inline constexpr wchar_t kTrayMenuCaption[] = L"Form1caidan";
inline constexpr wchar_t kTrayMenuExitQuestion[] = L"OK to exit it?";

class TrayMenu {
public:
    // unload: the program's exit steps (save if changed, remove the icon, release the main
    // window), run when the form is closed; false when the program goes on (the user kept it
    // after a failed save), and the form stays.
    explicit TrayMenu(std::function<bool()> unload) : unload_(std::move(unload)) {}
    ~TrayMenu();
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    // Pops the menu up at the cursor, owned by the window, and returns when it has closed.
    void Popup(HWND owner);
    // The hidden form; null until the menu was first needed.
    HWND Handle() const { return hwnd_; }

private:
    template <class Owner>
    friend LRESULT CALLBACK OwnerWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Create();
    // The exit steps, then the form goes.
    void Unload();

    std::function<bool()> unload_;
    HWND hwnd_ = nullptr;
    // mnuFile's items; made with the form and kept for the run.
    HMENU menu_ = nullptr;
    bool unloading_ = false;
};

}  // namespace tf
