#include "base/dialog_scaling_win.h"

#include "base/dpi_win.h"

namespace tf {

LRESULT AnswerDpiScaledSize(HWND window, WPARAM wParam, LPARAM lParam, const std::function<SIZE(Dpi)>& clientAt) {
    auto* size = reinterpret_cast<SIZE*>(lParam);
    const Dpi next(static_cast<int>(LOWORD(wParam)));
    if (!size || next.Value() <= 0) return FALSE;
    const SIZE client = clientAt(next);
    const RECT frame = FrameAround(client.cx, client.cy, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)),
                                   static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), next);
    *size = {frame.right - frame.left, frame.bottom - frame.top};
    return TRUE;
}

bool FaceScalingMessage(HWND window, DialogFace& face, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                        const std::function<void()>& layout, const std::function<SIZE(Dpi)>& clientAt) {
    result = 0;
    switch (msg) {
        case WM_CREATE:
            // Before the controls, which read it.
            SetWindowDpi(window, face.dpi);
            layout();
            return true;
        case kGetDpiScaledSize:
            result = AnswerDpiScaledSize(window, wParam, lParam, clientAt);
            return true;
        case kDpiChanged:
            face.UseDpi(TakeDpiChange(window, wParam, lParam));
            layout();
            TellControlsDpiChanged(window);
            RepaintAll(window);
            return true;
        default:
            return false;
    }
}

void MoveChild(HWND control, int x, int y, int width, int height, HFONT font) {
    if (!control) return;
    SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

HWND PlaceChild(bool first, HWND control, HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text,
                DWORD style, int id, int x, int y, int width, int height, HFONT font) {
    if (first) return CreateChild(parent, exStyle, cls, text, style, id, x, y, width, height, font);
    MoveChild(control, x, y, width, height, font);
    return control;
}

void RepaintAll(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

}  // namespace tf
