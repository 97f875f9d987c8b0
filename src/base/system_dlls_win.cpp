#include "base/system_dlls_win.h"

#include <windows.h>

#include <delayimp.h>

#include <string>

namespace tf {
namespace {

// The DLLs delay-loaded by cmake/windows.cmake, which system DLLs may also load by name (the
// common controls load the theme DLL on their own).
constexpr const char* kSystemOnlyDlls[] = {"version.dll", "wininet.dll", "uxtheme.dll", "oleacc.dll",
                                           "bcrypt.dll",  "msimg32.dll", "crypt32.dll"};
// Taken from the system folder too, but only when first needed: the file dialogs load the common
// controls and more, which the program need not pay for at every start.
constexpr const char* kSystemOnlyWhenNeeded[] = {"comdlg32.dll"};

HMODULE LoadFromSystemFolder(const char* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring path(folder, length);
    path += L'\\';
    for (const char* c = name; *c; ++c) path += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    // Its own dependencies are then looked for beside it, in the system folder.
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The delay-load helper asks before it loads a DLL by name: it gets the one in the system folder.
// When that fails the helper loads by name, which the default directories keep to the system folder
// (without them, on Windows 7 lacking its update, the module preloaded below is found by name first).
// The common controls are delay-loaded as well but left to the helper: loaded by name, the
// program's manifest picks their version 6 from the side-by-side store.
FARPROC WINAPI DelayLoadNotify(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    for (const char* name : kSystemOnlyDlls) {
        if (lstrcmpiA(name, info->szDll) == 0) return reinterpret_cast<FARPROC>(LoadFromSystemFolder(name));
    }
    for (const char* name : kSystemOnlyWhenNeeded) {
        if (lstrcmpiA(name, info->szDll) == 0) return reinterpret_cast<FARPROC>(LoadFromSystemFolder(name));
    }
    return nullptr;
}

}  // namespace

void LoadSystemDllsOnly() {
    // Every later load by name, also a system DLL's own, searches the system folder only. Windows 7
    // has it only with its update KB2533623: looked up rather than imported. Without it the current
    // folder is still dropped (SetDllDirectoryW) and every DLL of ours is loaded by full path below;
    // the program's folder then stays first only for what system DLLs load by name on their own.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
        if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    SetDllDirectoryW(L"");
    __pfnDliNotifyHook2 = DelayLoadNotify;
    // Loaded now by their full path: a later load by name, by this program or by a system DLL, gets
    // the module already loaded under that name rather than searching (and where the default
    // directories are not honoured, the program's folder first).
    for (const char* name : kSystemOnlyDlls) LoadFromSystemFolder(name);
}

}  // namespace tf
