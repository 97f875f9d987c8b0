// Message handling shared by the program's own loop and the loops that run nested in handlers (the
// hotkey listener, the paste wait, a modal prompt), so that keyboard navigation works the same in all
// of them.
#pragma once

#include <functional>
#include <optional>

#include "base/windows_api_win.h"

namespace tf {

// Translates and dispatches one message, with dialog keys (Tab, Shift+Tab, Enter, Escape) for
// whichever of the thread's windows it is meant for.
void DispatchUiMessage(MSG& msg);

// Runs every message waiting for this thread. A WM_QUIT met here is kept in `quitCode` for the
// caller to post again once its own loop has unwound, so that the program's loop still sees it.
void ProcessPendingMessages(std::optional<int>& quitCode);

// Runs the thread's messages, waiting for each, until `done` says so: the loop of a modal window
// whose caller waits for it to close. True when `done` ended it; false when the program is ending
// (WM_QUIT, posted again for the loop outside, or an error).
bool PumpUntil(const std::function<bool()>& done);

}  // namespace tf
