// The hotkey manager's listener: a message loop that runs inside a timer tick on the user-interface
// thread, takes the manager window's hotkey messages and keeps every other message flowing, so that
// handlers (including the ones that clear and restart the manager) run nested inside it.
#pragma once

#include <functional>
#include <optional>

#include "hotkeys/hotkey_list.h"

namespace tf {

// The thread's message queue as the listener sees it.
class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Blocks until a new message is in the queue.
    virtual void WaitForMessage() = 0;
    // Takes at most one hotkey message of the manager's window out of the queue; its identifier.
    virtual std::optional<int> TakeHotkeyMessage() = 0;
    // Hands the hotkey message just taken on to the window, for hotkeys that are no entry's (the
    // window's own function keys).
    virtual void ForwardHotkeyMessage() = 0;
    // Processes every pending message of the thread. False when the program's quit message was met;
    // the pump keeps it for the program's own loop.
    virtual bool ProcessPendingMessages() = 0;
};

using HotkeyPressHandler = std::function<void(const HotkeyPress&)>;

// HotKeyLoop: runs until the list's stop flag is set, tested at the head of each pass. A restart from
// a handler clears the flag before this loop looks again, so it goes on (the restart's own loop runs
// nested in its message processing). The quit message ends every loop.
void HotKeyLoop(HotkeyList& list, MessagePump& pump, const HotkeyPressHandler& onPress);

}  // namespace tf
