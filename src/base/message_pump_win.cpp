#include "base/message_pump_win.h"

namespace tf {

void DispatchUiMessage(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void ProcessPendingMessages(std::optional<int>& quitCode) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        DispatchUiMessage(msg);
    }
}

bool PumpUntil(const std::function<bool()>& done) {
    while (!done()) {
        MSG msg;
        const int got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchUiMessage(msg);
    }
    return true;
}

}  // namespace tf
