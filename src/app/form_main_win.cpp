// Tamborvin Form.exe: one instance, one main window, one message loop.
#include "base/windows_api_win.h"

#include <commctrl.h>

#include "base/file_system.h"
#include "base/message_pump_win.h"
#include "base/system_dlls_win.h"
#include "app/form_app_win.h"
#include "updater/update_flow.h"
#include "updater/update_platform_win.h"

namespace {

// Named per session: another user's instance on the same machine does not count.
constexpr wchar_t kSingleInstanceMutex[] = L"Local\\Tamborvin Form single instance";

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything calls into a DLL that is not a known one.
    tf::LoadSystemDllsOnly();
    // Held until the process ends; a second start finds it and leaves before any window.
    HANDLE instanceMutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutex);
    if (instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(instanceMutex);
        return 0;
    }

    // An update that ended in the middle of putting the new program in place may have left only the
    // old one's copy: the program must be found under its name again.
    tf::WinUpdatePlatform platform;
    tf::RestoreLeftOverProgram(tf::NativeFileSystem(), platform, tf::ProgramFolder());

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    int exitCode = 1;
    {
        tf::FormApp app;
        if (app.Start(instance)) {
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                // Dialog-style keys in whichever of our windows has the key: Tab and Shift+Tab
                // move between the controls, Enter and Escape reach OK and Cancel.
                tf::DispatchUiMessage(msg);
            }
            exitCode = static_cast<int>(msg.wParam);
        }
    }
    if (instanceMutex) CloseHandle(instanceMutex);
    return exitCode;
}
