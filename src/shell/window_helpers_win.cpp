#include "shell/window_helpers_win.h"

namespace tf {

void DragWindow(HWND window) {
    if (IsZoomed(window)) return;
    // The press that got us here holds the mouse capture; the system's move loop needs it back.
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace tf
