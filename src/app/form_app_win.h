// The app: Tamborvin Form put together. The records' main window and the parts around it (the vault
// on disk, the tray and password gate, the browser watch with its hint, the credential keys) are
// made and connected here; nothing here decides anything but the order of start and exit.
#pragma once

#include "autofill/typing_controller_win.h"
#include "autofill/watch_controller_win.h"
#include "records/exit_flow.h"
#include "records/main_window_win.h"
#include "records/record_grid.h"
#include "records/vault_session_win.h"
#include "shell/tray_gate_win.h"

namespace tf {

class FormApp {
public:
    FormApp();
    // The window goes first: its last messages still reach every part.
    ~FormApp() { mainWindow_.Destroy(); }
    FormApp(const FormApp&) = delete;
    FormApp& operator=(const FormApp&) = delete;

    // Creates the windows, runs the start-up steps and shows the main window. False when the main
    // window could not be created.
    bool Start(HINSTANCE instance);

private:
    // Saves if anything changed, removes the notification icon and ends the program; false when the
    // save failed and the user chose to keep the program running.
    bool Exit();

    // The running list of records: loaded and saved by the vault session, shown by the main window,
    // looked up by the watch and the keys.
    RecordGrid grid_;
    VaultSession vault_{grid_};
    WindowsUserSealer sealer_;
    VaultProtection protection_{vault_, sealer_};
    TrayGate trayGate_{[this] { return Exit(); }};
    WatchController watch_;
    TypingController typing_{watch_, grid_, [this] { return Exit(); }};
    MainWindow mainWindow_;
    ExitFlow exitFlow_;
};

}  // namespace tf
