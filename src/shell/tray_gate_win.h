// The shell subsystem: the program's life in the notification area and its small windows (the hint,
// About and the version check). Here: the icon and its menu, and the master-password gate in front
// of the main window and the settings window.
#pragma once

#include <functional>

#include "base/window_part_win.h"
#include "shell/about_window_win.h"
#include "shell/tray_icon_win.h"
#include "shell/tray_menu_win.h"
#include "vault/config_window_win.h"
#include "vault/login_window_win.h"
#include "vault/settings.h"
#include "vault/settings_store_win.h"
#include "vault/user_sealer_win.h"
#include "vault/vault_lock.h"

namespace tf {

class TrayGate : public WindowPart {
public:
    // exit: the program's Exit; false when it goes on (the user kept it after a failed save).
    explicit TrayGate(std::function<bool()> exit);

    // Reads the master password and the remember flag; a protected vault is opened (with the
    // remembered password, or the prompt's). Then puts the icon of `window` in the notification
    // area; the window receives the icon's and the menu's messages. False when the user cancelled
    // the prompt: the program ends, no file touched.
    bool Start(HWND window, HICON icon, VaultProtection& protection);
    void RemoveIcon() { tray_.RemoveTrayIcon(); }
    // Shows the hidden window again and brings it to the front, once the password gate passed.
    void ShowMainWindow();
    // What the menu's Import... and Export... run: the import once the password gate passed (with
    // the main window shown, where the result appears), the export as it is (it has a gate of its
    // own, ExportGate).
    void SetTransfers(std::function<void()> importLogins, std::function<void()> exportLogins) {
        importLogins_ = std::move(importLogins);
        exportLogins_ = std::move(exportLogins);
    }
    // The export's gate: the master password, when one is set, remembered or not.
    bool ExportGate();

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool PasswordGate();
    void mnuConfig_Click();

    std::function<bool()> exit_;
    std::function<void()> importLogins_, exportLogins_;
    HWND window_ = nullptr;
    TrayIcon tray_;
    // Form1caidan: closing it ends the program like Exit.
    TrayMenu trayMenu_;
    AboutWindow about_;
    // The master password and the settings: read at start, changed by the settings window.
    RegistrySettingsStore store_;
    Session session_;
    LoginWindow login_;
    ConfigWindow config_;
    VaultProtection* protection_ = nullptr;
};

}  // namespace tf
