// The steps of Exit, which may be entered again while an earlier Exit waits in its question (a
// message box runs a message loop, in which the tray menu or the hotkey panel can call it).
#pragma once

#include <functional>

namespace tf {

class ExitFlow {
public:
    struct Steps {
        std::function<bool()> dataChanged;
        // True when the records were saved.
        std::function<bool()> save;
        // Asked after a failed save: true to end anyway.
        std::function<bool()> endWithoutSaving;
        // Removes the icon and ends the program.
        std::function<void()> end;
    };

    // True when the program is ending. An Exit entered while another is still undecided is not
    // one: that one may yet be cancelled, so the second says the program goes on.
    bool Run(const Steps& steps);

private:
    bool running_ = false;
    bool ended_ = false;
};

// The answer to the end of the Windows session: log-off or shutdown may end the process without
// another word, so changes are saved now, and the session is held open only when they could not be.
bool SessionMayEnd(bool dataChanged, const std::function<bool()>& save);

}  // namespace tf
