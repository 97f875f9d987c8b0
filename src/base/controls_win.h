// The small pieces every window of the program builds its controls with.
#pragma once

#include <cstdint>

#include <string>

#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/screen_fit.h"
#include "base/windows_api_win.h"

namespace tf {

// A visible child control with this id and font; `param` is its creation parameter (for a control
// class of the program's own that takes one).
HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y,
                 int w, int h, HFONT font, void* param = nullptr);
// A window rectangle as the placement rules take it.
inline ScreenBox BoxOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
// The work area (screen less taskbar) of the monitor nearest to the rectangle.
ScreenBox WorkAreaNear(const RECT& box);
// The work area of the primary monitor, where a window without an owner opens.
ScreenBox PrimaryWorkArea();
// Creates a top-level window of the program whose client area is this size at this scaling (that of
// DpiForNewWindow(owner)): centred over its owner when the owner shows (else on the primary
// monitor), and kept inside the work area of that monitor. The window is to record the scaling
// (SetWindowDpi) as it is created, before it makes its controls.
HWND CreateCenteredWindow(DWORD exStyle, const wchar_t* cls, const std::wstring& caption, DWORD style, int clientWidth,
                          int clientHeight, HWND owner, void* param, Dpi dpi);
// Registers a window class of the program (arrow cursor); true when it is registered, also when an
// earlier window of the same kind registered it already.
bool RegisterWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background, UINT style = 0, HICON icon = nullptr,
                         HICON smallIcon = nullptr);
// A control's text as UTF-8.
std::string TextOf(HWND window);
// Dots per inch of the screen, up and down (LOGPIXELSY) and across (LOGPIXELSX): layouts are given at
// 96 and scaled.
int ScreenDpi();
int ScreenDpiX();

// The Shift (1), Ctrl (2) and Alt (4) keys held now, as mouse events report them.
std::int16_t ShiftState();
// The program's interface font (Tahoma; Chinese falls back through the system's font links); the
// caller frees it (UniqueFont).
HFONT CreateUiFont(int points, Dpi dpi, int weight = FW_NORMAL, bool underline = false);

// What the program's dialog-like windows (the editor, the prompt, the settings) are drawn with: the
// scaling of the monitor they are on, the 9-point face font at that scaling and the face colour.
struct DialogFace {
    Dpi dpi;
    UniqueFont font;
    UniqueBrush brush;
    // Registers the window class on its face at the first call and makes the font at this scaling;
    // false when the class could not be registered.
    bool Ready(const wchar_t* windowClass, WNDPROC proc, Dpi at);
    // Remakes the font for another scaling (a WM_DPICHANGED); nothing when it is the one it has.
    void UseDpi(Dpi at);
};

}  // namespace tf
