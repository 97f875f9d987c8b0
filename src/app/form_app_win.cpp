#include "app/form_app_win.h"

#include "base/window_helpers_win.h"

namespace tf {

FormApp::FormApp()
    : watch_(grid_, [this] { typing_.UpdateFunctionKeys(); }),
      mainWindow_(grid_, MainWindow::Hooks{[this](const MainWindowLayout& layout) {
                                               typing_.LayPanel(layout.window, layout.panelX, layout.panelY,
                                                                layout.panelWidth, layout.font, layout.dpi);
                                               // The browser row: which browser the watch reads the page from.
                                               watch_.LayRow(layout.window, layout.bottomRow, layout.font, layout.dpi);
                                           },
                                           [this] { return vault_.Save(); }, [this] { return Exit(); },
                                           [this] { return trayGate_.ExportGate(); }}) {
    trayGate_.SetTransfers([this] { mainWindow_.ImportLogins(); }, [this] { mainWindow_.ExportLogins(); });
    mainWindow_.AddPart(vault_);
    mainWindow_.AddPart(trayGate_);
    mainWindow_.AddPart(typing_);
    mainWindow_.AddPart(watch_);
}

bool FormApp::Start(HINSTANCE instance) {
    if (!mainWindow_.Create(instance)) return false;
    const HWND window = mainWindow_.Handle();
    vault_.SetWindow(window);
    int alpha = 255;
    SetTopLayered(window, true, alpha, false);
    // The master password and the remember flag, for the password gate; a protected vault opened
    // before anything is read from it; then the icon.
    if (!trayGate_.Start(window, mainWindow_.Icon(), protection_)) return false;
    vault_.Load();
    // Loading may have taken much memory that the program does not need while it waits.
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    SetTopLayered(window, true, alpha, false);
    typing_.Start();
    watch_.Start(instance);
    mainWindow_.SetUrlSetting(typing_.UrlSetting());
    mainWindow_.Show();
    return true;
}

bool FormApp::Exit() {
    ExitFlow::Steps steps;
    steps.dataChanged = [this] { return vault_.DataChanged(); };
    steps.save = [this] { return vault_.Save(); };
    steps.endWithoutSaving = [this] { return vault_.AskEndWithoutSaving(); };
    steps.end = [this] {
        // A password pasted a moment ago does not stay on the clipboard after us.
        typing_.Flush();
        trayGate_.RemoveIcon();
        mainWindow_.Destroy();
    };
    return exitFlow_.Run(steps);
}

}  // namespace tf
