#include "updater/velnor_helpers_win.h"

#include <algorithm>

namespace tf::velnor {

void SetTopLayered(HWND window, bool topmost, int& alpha, bool clickThrough) {
    LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (clickThrough) {
        style |= WS_EX_LAYERED | WS_EX_TRANSPARENT;
    } else {
        style = (style | WS_EX_LAYERED) & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT);
    }
    SetWindowLongPtrW(window, GWL_EXSTYLE, style);
    alpha = std::clamp(alpha, 0, 255);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DragWindow(HWND window) {
    if (IsZoomed(window)) return;
    // The press that got us here holds the mouse capture; the system's move loop needs it back.
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace tf::velnor
