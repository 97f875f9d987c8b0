// The notification-area icon of the main window.
#pragma once

#include "base/windows_api_win.h"

#include <shellapi.h>

namespace tf {

// The message the icon sends to its window; lParam's low word carries the mouse message
// (WM_LBUTTONUP, WM_RBUTTONUP, ...). A private message rather than WM_MOUSEMOVE: with
// WM_MOUSEMOVE a real mouse move over the window at x = 514 or 517 would carry
// WM_LBUTTONUP / WM_RBUTTONUP in lParam's low word and pass for a click on the icon.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon() { RemoveTrayIcon(); }

    // Adds the icon; results of the shell are not checked (a failed add leaves the program
    // running without an icon).
    void AddTrayIcon(HWND window, HICON icon, const wchar_t* tip);
    // Adds the same icon again, after Explorer restarted ("TaskbarCreated").
    void Readd();
    void RemoveTrayIcon();

    bool Added() const { return added_; }

    // The message Explorer broadcasts when it (re)creates the taskbar.
    static UINT TaskbarCreatedMessage();

private:
    NOTIFYICONDATAW data_{};
    bool added_ = false;
};

}  // namespace tf
