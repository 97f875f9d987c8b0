// Small helpers every window of both programs uses.
#pragma once

#include "base/windows_api_win.h"

namespace tf {

// Puts the window into the topmost band, or takes it out, without moving, sizing or activating it.
void SetTopMost(HWND window, bool topmost);

// Makes the window layered with this opacity (clamped into 0..255 and handed back through `alpha`)
// and puts it into or out of the topmost band. clickThrough lets the mouse fall through to the
// windows below; without it a click-through bit left from before is cleared.
void SetTopLayered(HWND window, bool topmost, int& alpha, bool clickThrough);

// Lets the system move the window with the mouse as if its caption had been grabbed; call it
// from a mouse-down on a borderless window's title band. A maximised window stays put.
void DragWindow(HWND window);

// Asks a question with Yes and No and the question icon (style 36); true for Yes.
bool AskYesNo(HWND owner, const wchar_t* question, const wchar_t* title);

// Brings the window to the foreground even when another program's window is active there, and
// shows it (restored when minimised). True when the window is or became the foreground window.
bool ForceForegroundWindow(HWND window);

// One key going down or up, as SendInput takes it; with its scan code too, which some programs
// look at alone.
INPUT KeyInput(WORD virtualKey, bool up);

}  // namespace tf
