#include "base/dialog_scaling_win.h"

#include "base/dpi_win.h"

namespace tf {

LRESULT AnswerDpiScaledSize(LPARAM lParam, SIZE client, DWORD style, DWORD exStyle, Dpi dpi) {
    auto* size = reinterpret_cast<SIZE*>(lParam);
    if (!size) return FALSE;
    const RECT frame = FrameAround(client.cx, client.cy, style, exStyle, dpi);
    *size = {frame.right - frame.left, frame.bottom - frame.top};
    return TRUE;
}

void MoveChild(HWND control, int x, int y, int width, int height, HFONT font) {
    if (!control) return;
    SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void RepaintAll(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace tf
