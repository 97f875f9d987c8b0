// The scaling each window is drawn at. Windows gives every monitor its own: a window opens at the
// scaling of the monitor it opens on, and a WM_DPICHANGED tells it of another when it is moved. What a
// window is laid out at is kept here, on its top-level window, so that every piece of it (the
// program's own controls too) reads the one value and nothing keeps the scaling of start-up.
#pragma once

#include <vector>

#include "base/dpi.h"
#include "base/screen_fit.h"
#include "base/windows_api_win.h"

namespace tf {

// Messages of Windows 10 that the headers give only to programs built for it alone.
inline constexpr UINT kDpiChanged = 0x02E0;             // WM_DPICHANGED, to a top-level window
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;  // WM_DPICHANGED_AFTERPARENT, to its controls

// Every monitor, the primary first.
std::vector<MonitorArea> Monitors();
// The scaling of the monitor nearest the box; the system's where Windows has one for all monitors.
Dpi DpiNear(const RECT& box);
// What a new window owned by `owner` opens at: its owner's monitor's when the owner shows, the
// primary monitor's otherwise (where such a window opens).
Dpi DpiForNewWindow(HWND owner);

// The scaling the window (a control: the top-level window it is part of) is laid out at: recorded
// by SetWindowDpi, else the one Windows gives the window.
Dpi DpiOf(HWND window);
// Records a top-level window's scaling: as it is created (at WM_NCCREATE or WM_CREATE, before its
// controls) and at every change.
void SetWindowDpi(HWND topLevel, Dpi dpi);
// The handling of WM_DPICHANGED every window shares: records the new scaling (from wParam) and
// moves the window to the suggested rectangle (lParam; ignored when null). Returns the new scaling.
Dpi TakeDpiChange(HWND window, WPARAM wParam, LPARAM lParam);
// Sends every control in the window kDpiChangedAfterParent, after the window laid them out anew,
// so that the program's own controls remake what they draw with. Windows sends it too after a move
// between monitors; a control takes it twice without harm.
void TellControlsDpiChanged(HWND window);

// The window rectangle around a client area of this size at this scaling (the frame grows with it).
RECT FrameAround(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, Dpi dpi);
// A system metric (SM_CXICON, SM_CXVSCROLL...) at this scaling.
int MetricAt(int index, Dpi dpi);

}  // namespace tf
