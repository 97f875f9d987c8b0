#include "hotkeys/hotkey_listener.h"

namespace tf {

void HotKeyLoop(HotkeyList& list, MessagePump& pump, const HotkeyPressHandler& onPress) {
    while (!list.Stopped()) {
        pump.WaitForMessage();
        if (auto identifier = pump.TakeHotkeyMessage()) {
            if (auto press = list.Dispatch(*identifier)) {
                if (onPress) onPress(*press);
            } else {
                // Dropping it would silence the window's own function keys while the loop runs.
                pump.ForwardHotkeyMessage();
            }
        }
        if (!pump.ProcessPendingMessages()) {
            // The program is ending: no loop may keep it waiting.
            list.StopHotKeys();
            return;
        }
    }
}

}  // namespace tf
