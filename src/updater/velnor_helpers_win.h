// The updater's own copies of the main program's window helpers: the two programs share no code
// at run time, and the updater must not change when the main program's helpers do.
#pragma once

#include "base/windows_api_win.h"

namespace tf::velnor {

// Layered with this opacity (clamped into 0..255 and handed back) and in or out of the topmost
// band; without clickThrough a click-through bit left from before is cleared.
void SetTopLayered(HWND window, bool topmost, int& alpha, bool clickThrough);

// Lets the system move the borderless window with the mouse, as if its caption had been grabbed.
void DragWindow(HWND window);

}  // namespace tf::velnor
