// menu_probe.dll: loaded into a program under test to read one of its pop-up menus, which only the
// process that made the menu can read under Wine (on Windows any process can). The test passes
// the menu window (class "#32768"); the items come back in the shared memory named below, one per
// line, "-" for a separator, as UTF-16 text ending in a NUL.
#include "base/windows_api_win.h"

namespace {

constexpr wchar_t kResultMapping[] = L"Local\\TamborvinFormMenuProbe";
constexpr DWORD kResultBytes = 64 * 1024;

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI ReadMenuItems(void* menuWindow) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, kResultMapping);
    if (!mapping) return 0;
    auto* out = static_cast<wchar_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kResultBytes));
    if (!out) {
        CloseHandle(mapping);
        return 0;
    }
    const DWORD capacity = kResultBytes / sizeof(wchar_t);
    DWORD used = 0;
    out[0] = L'\0';
    auto menu = reinterpret_cast<HMENU>(SendMessageW(static_cast<HWND>(menuWindow), MN_GETHMENU, 0, 0));
    int count = menu ? GetMenuItemCount(menu) : -1;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
            lstrcpyW(text, L"(unreadable)");
        } else if (info.fType & MFT_SEPARATOR) {
            lstrcpyW(text, L"-");
        } else {
            GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        }
        for (const wchar_t* c = text; *c && used + 2 < capacity; ++c) out[used++] = *c;
        if (used + 2 < capacity) out[used++] = L'\n';
        out[used] = L'\0';
    }
    UnmapViewOfFile(out);
    CloseHandle(mapping);
    return static_cast<DWORD>(count < 0 ? 0 : count) + 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
