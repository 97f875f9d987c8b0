// What the dialog-like windows share to follow a move onto a monitor of another scaling: each lays
// its controls out in one function that creates them the first time and only moves them (with the
// new font) afterwards, so a window told of a new scaling ends as one opened at it.
#pragma once

#include "base/dpi.h"
#include "base/windows_api_win.h"

namespace tf {

// WM_GETDPISCALEDSIZE: Windows asks a window about to change scaling what size it wants.
inline constexpr UINT kGetDpiScaledSize = 0x02E4;

// The answer to kGetDpiScaledSize (lParam: the SIZE to fill): the window around this client size at
// the new scaling, so that the kDpiChanged that follows suggests the size of a window opened there
// rather than the present one scaled and rounded. TRUE, as the message wants.
LRESULT AnswerDpiScaledSize(LPARAM lParam, SIZE client, DWORD style, DWORD exStyle, Dpi dpi);

// Puts a control laid out before at its place for the new scaling and gives it the new font; what it
// holds (text, check, selection, focus) stays.
void MoveChild(HWND control, int x, int y, int width, int height, HFONT font);

// Repaints the window and all its controls once they are laid out anew.
void RepaintAll(HWND window);

}  // namespace tf
