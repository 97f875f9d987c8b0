#include "shell/tray_gate_win.h"

#include <utility>

#include "base/program_look_win.h"
#include "base/window_helpers_win.h"

namespace tf {

TrayGate::TrayGate(std::function<bool()> exit) : exit_(std::move(exit)), trayMenu_([this] { return exit_(); }) {}

bool TrayGate::Start(HWND window, HICON icon, VaultProtection& protection) {
    window_ = window;
    protection_ = &protection;
    session_ = LoadSession(store_);
    std::string failure;
    const StartUnlock opened = OpenVaultAtStart(
        session_, store_, protection,
        [this](const std::string& notice, const LoginWindow::PasswordTry& tryPassword) {
            return login_.ShowUnlock(window_, session_, notice, tryPassword);
        },
        failure);
    if (opened == StartUnlock::kCancelled) return false;
    // A vault that could not be opened is reported by the load, which keeps it aside.
    tray_.AddTrayIcon(window, icon, kProgramTitle);
    return true;
}

bool TrayGate::PasswordGate() {
    // A prompt already open is brought to the front and this request does not pass.
    return PasswordGatePasses(session_, [this] { return login_.ShowModal(window_, session_); });
}

void TrayGate::ShowMainWindow() {
    // The program may have ended while the prompt was open (Exit from the menu).
    if (!PasswordGate() || !window_) return;
    ShowWindow(window_, SW_SHOW);
    ForceForegroundWindow(window_);
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool TrayGate::ExportGate() {
    return ExportGatePasses(session_, [this] { return login_.ShowModal(window_, session_); });
}

void TrayGate::mnuConfig_Click() {
    // Open already: the user passed the gate for it, so it only comes to the front.
    if (!config_.IsOpen() && (!PasswordGate() || !window_)) return;
    config_.ShowConfig(window_, session_, store_, protection_);
}

bool TrayGate::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    if (msg == TrayIcon::TaskbarCreatedMessage() && msg != 0) {
        // Explorer restarted and forgot every icon.
        tray_.Readd();
        return true;
    }
    switch (msg) {
        case kTrayCallbackMessage:
            switch (LOWORD(lParam)) {
                case WM_LBUTTONUP:
                    if (!IsWindowVisible(window_)) ShowMainWindow();
                    break;
                case WM_RBUTTONUP:
                    trayMenu_.Popup(window_);
                    break;
                default:
                    break;
            }
            return true;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return false;
            switch (LOWORD(wParam)) {
                case kIdMnuExit:
                    exit_();
                    return true;
                case kIdMnuConfig:
                    mnuConfig_Click();
                    return true;
                case kIdMnuImport:
                    ShowMainWindow();
                    if (importLogins_ && window_ && IsWindowVisible(window_)) importLogins_();
                    return true;
                case kIdMnuExport:
                    if (exportLogins_ && window_) exportLogins_();
                    return true;
                case kIdMnuAbout:
                    about_.Show(window_, [this] { exit_(); });
                    return true;
                default:
                    return false;
            }
        case WM_ENDSESSION:
            if (wParam) tray_.RemoveTrayIcon();
            return true;
        case WM_DESTROY:
            // Seen, not taken: the window's own handling ends the message loop.
            tray_.RemoveTrayIcon();
            window_ = nullptr;
            return false;
        default:
            return false;
    }
}

}  // namespace tf
