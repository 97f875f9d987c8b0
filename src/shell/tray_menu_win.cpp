#include "shell/tray_menu_win.h"

namespace tf {

TrayMenu::~TrayMenu() {
    if (menu_) DestroyMenu(menu_);
}

void TrayMenu::Popup(HWND owner) {
    if (!menu_) {
        menu_ = CreatePopupMenu();
        if (!menu_) return;
        AppendMenuW(menu_, MF_STRING, kIdMnuConfig, L"Setting");
        AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu_, MF_STRING, kIdMnuAbout, L"About...");
        AppendMenuW(menu_, MF_STRING, kIdMnuExit, L"Exit");
    }
    POINT at{};
    GetCursorPos(&at);
    // Without the owner in the foreground the menu would not close on a click elsewhere; the
    // message after it lets the menu close properly when it is opened again at once.
    SetForegroundWindow(owner);
    TrackPopupMenu(menu_, 0, at.x, at.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace tf
