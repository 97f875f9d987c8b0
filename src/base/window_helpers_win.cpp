#include "base/window_helpers_win.h"

#include "base/screen_fit.h"

namespace tf {
namespace {

void PlaceInBand(HWND window, bool topmost) {
    // NOACTIVATE: helpers run on windows that must not take the focus from the one in front.
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

void SetTopMost(HWND window, bool topmost) { PlaceInBand(window, topmost); }

void SetTopLayered(HWND window, bool topmost, int& alpha, bool clickThrough) {
    LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (clickThrough) {
        style |= WS_EX_LAYERED | WS_EX_TRANSPARENT;
    } else {
        style = (style | WS_EX_LAYERED) & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT);
    }
    SetWindowLongPtrW(window, GWL_EXSTYLE, style);
    alpha = ClampAlpha(alpha);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    PlaceInBand(window, topmost);
}

void DragWindow(HWND window) {
    if (IsZoomed(window)) return;
    // The press that got us here holds the mouse capture; the system's move loop needs it back.
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

bool ForceForegroundWindow(HWND window) {
    HWND foreground = GetForegroundWindow();
    if (foreground == window) return true;
    DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
    DWORD targetThread = GetWindowThreadProcessId(window, nullptr);
    BOOL ok;
    if (foregroundThread == targetThread) {
        ok = SetForegroundWindow(window);
    } else {
        // The system lets only the thread that owns the foreground hand it on: share its input
        // state for the moment of the switch.
        AttachThreadInput(foregroundThread, targetThread, TRUE);
        ok = SetForegroundWindow(window);
        AttachThreadInput(foregroundThread, targetThread, FALSE);
    }
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
    return ok != FALSE;
}

bool AskYesNo(HWND owner, const wchar_t* question, const wchar_t* title) {
    return MessageBoxW(owner, question, title, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace tf
