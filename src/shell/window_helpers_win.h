// Small helpers every window of both programs uses.
#pragma once

#include "base/windows_api_win.h"

namespace tf {

// Lets the system move the window with the mouse as if its caption had been grabbed; call it
// from a mouse-down on a borderless window's title band. A maximised window stays put.
void DragWindow(HWND window);

}  // namespace tf
