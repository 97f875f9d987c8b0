// A part of the program that answers some of a window's messages: its own controls' commands and
// colours, its timers, its hotkeys. The main window hands every message to its parts before its
// own handling, so that each part keeps its business to itself.
#pragma once

#include "base/windows_api_win.h"

namespace tf {

class WindowPart {
public:
    virtual ~WindowPart() = default;
    // True when the message was this part's; `result` is then the window's answer. A part that
    // only looks (at WM_DESTROY, say) returns false, so the others see the message too.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
};

}  // namespace tf
