#include "shell/tray_menu_win.h"

#include "base/controls_win.h"
#include "base/program_look_win.h"
#include "base/window_helpers_win.h"

namespace tf {

TrayMenu::~TrayMenu() {
    // The run is over: the form goes without its unload steps, which the program has run already.
    unloading_ = true;
    if (hwnd_) DestroyWindow(hwnd_);
    if (menu_) DestroyMenu(menu_);
}

bool TrayMenu::Create() {
    if (hwnd_) return true;
    if (!RegisterWindowClass(kTrayMenuClass, OwnerWindowProc<TrayMenu>, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
        return false;
    // Top-level, unowned and never shown: it appears nowhere, but the system and other programs
    // can close it like any window of the program.
    CreateWindowExW(0, kTrayMenuClass, kTrayMenuCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) return false;
    menu_ = CreatePopupMenu();
    if (menu_) {
        AppendMenuW(menu_, MF_STRING, kIdMnuConfig, L"Setting");
        AppendMenuW(menu_, MF_STRING, kIdMnuImport, L"Import...");
        AppendMenuW(menu_, MF_STRING, kIdMnuExport, L"Export...");
        AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu_, MF_STRING, kIdMnuAbout, L"About...");
        AppendMenuW(menu_, MF_STRING, kIdMnuExit, L"Exit");
    }
    return true;
}

void TrayMenu::Popup(HWND owner) {
    if (!Create() || !menu_) return;
    POINT at{};
    GetCursorPos(&at);
    // Without the owner in the foreground the menu would not close on a click elsewhere; the
    // message after it lets the menu close properly when it is opened again at once.
    SetForegroundWindow(owner);
    TrackPopupMenu(menu_, 0, at.x, at.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
}

void TrayMenu::Unload() {
    if (unloading_) return;
    unloading_ = true;
    if (unload_ && !unload_()) {
        unloading_ = false;
        return;
    }
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT TrayMenu::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_SYSCOMMAND:
            // Closed from its own control menu: asked, and No cancels.
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                if (!unloading_ && AskYesNo(hwnd_, kTrayMenuExitQuestion, kProgramTitle)) Unload();
                return 0;
            }
            break;
        case WM_CLOSE:
            // From outside (another program, the task manager): not asked.
            Unload();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
