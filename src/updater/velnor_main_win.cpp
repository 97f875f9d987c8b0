// velnor.exe, the updater: one window; the program ends when it closes.
#include "base/windows_api_win.h"

#include <commctrl.h>

#include "base/file_system.h"
#include "base/system_dlls_win.h"
#include "updater/update_flow.h"
#include "updater/update_platform_win.h"
#include "updater/velnor_window_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything calls into a DLL that is not a known one.
    tf::LoadSystemDllsOnly();
    // An updater that ended in the middle of putting a release in place may have left only the copy.
    tf::WinUpdatePlatform platform;
    tf::RestoreLeftOverProgram(tf::NativeFileSystem(), platform, tf::ProgramFolder());
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tf::VelnorWindow window;
    if (!window.Create(instance)) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
