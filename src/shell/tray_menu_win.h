// The notification icon's pop-up menu: "Setting", a separator, "About...", "Exit". Its items
// arrive at the owner window as WM_COMMAND with the IDs below; the owner carries them out.
#pragma once

#include "base/windows_api_win.h"

namespace tf {

enum TrayMenuItem : int {
    kIdMnuConfig = 4201,  // "Setting"
    kIdMnuAbout = 4202,   // "About..."
    kIdMnuExit = 4203,    // "Exit"
};

class TrayMenu {
public:
    TrayMenu() = default;
    ~TrayMenu();
    TrayMenu(const TrayMenu&) = delete;
    TrayMenu& operator=(const TrayMenu&) = delete;

    // Pops the menu up at the cursor, owned by the window, and returns when it has closed.
    void Popup(HWND owner);

private:
    // Made the first time it is needed and kept for the run.
    HMENU menu_ = nullptr;
};

}  // namespace tf
