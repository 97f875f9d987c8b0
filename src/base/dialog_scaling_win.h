// What the dialog-like windows share to follow a move onto a monitor of another scaling: each lays
// its controls out in one function that creates them the first time and only moves them (with the
// new font) afterwards, so a window told of a new scaling ends as one opened at it.
#pragma once

#include <functional>

#include "base/controls_win.h"
#include "base/dpi.h"
#include "base/windows_api_win.h"

namespace tf {

// WM_GETDPISCALEDSIZE: Windows asks a window about to change scaling what size it wants.
inline constexpr UINT kGetDpiScaledSize = 0x02E4;

// The answer to kGetDpiScaledSize (wParam: the new scaling; lParam: the SIZE to fill): the window,
// with its frame at that scaling, around clientAt(that scaling), so that the kDpiChanged that
// follows suggests the size of a window opened there rather than the present one scaled and
// rounded. TRUE, as the message wants.
LRESULT AnswerDpiScaledSize(HWND window, WPARAM wParam, LPARAM lParam, const std::function<SIZE(Dpi)>& clientAt);

// The scaling messages every dialog-like window on the program's face answers alike: at WM_CREATE it
// records its scaling and lays out; asked its size at another scaling, AnswerDpiScaledSize; moved
// to another scaling, the face's font remade, laid out again (what its controls hold stays), and
// repainted. True when the message was one of these; `result` is then the answer.
bool FaceScalingMessage(HWND window, DialogFace& face, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                        const std::function<void()>& layout, const std::function<SIZE(Dpi)>& clientAt);

// A control of a window that lays itself out again at each change of scaling: made (CreateChild)
// the first time, moved with the font (MoveChild) after. Returns the control.
HWND PlaceChild(bool first, HWND control, HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text,
                DWORD style, int id, int x, int y, int width, int height, HFONT font);

// Puts a control laid out before at its place for the new scaling and gives it the new font; what it
// holds (text, check, selection, focus) stays.
void MoveChild(HWND control, int x, int y, int width, int height, HFONT font);

// Repaints the window and all its controls once they are laid out anew.
void RepaintAll(HWND window);

}  // namespace tf
