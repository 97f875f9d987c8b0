#include "shell/tray_icon_win.h"

#include <cwchar>
#include <iterator>

namespace tf {

void TrayIcon::AddTrayIcon(HWND window, HICON icon, const wchar_t* tip) {
    data_ = NOTIFYICONDATAW{};
    data_.cbSize = sizeof(data_);
    data_.hWnd = window;
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = kTrayCallbackMessage;
    data_.hIcon = icon;
    std::wcsncpy(data_.szTip, tip, std::size(data_.szTip) - 1);
    Shell_NotifyIconW(NIM_ADD, &data_);
    added_ = true;
}

void TrayIcon::Readd() {
    if (!added_) return;
    Shell_NotifyIconW(NIM_ADD, &data_);
}

void TrayIcon::RemoveTrayIcon() {
    if (!added_) return;
    Shell_NotifyIconW(NIM_DELETE, &data_);
    added_ = false;
}

UINT TrayIcon::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

}  // namespace tf
