// menu_probe.dll: loaded into a program under test to do there what only the program itself can.
// Each export takes a block the test wrote into the program's memory.
#include "base/windows_api_win.h"

namespace {

constexpr wchar_t kResultMapping[] = L"Local\\TamborvinFormMenuProbe";
constexpr DWORD kResultBytes = 64 * 1024;

}  // namespace

// Reads one of the program's pop-up menus, which only the process that made the menu can read under
// Wine (on Windows any process can). The block holds the menu window (class "#32768"); the items
// come back in the shared memory named above, one per line, "-" for a separator, as UTF-16 text
// ending in a NUL.
extern "C" __declspec(dllexport) DWORD WINAPI ReadMenuItems(void* block) {
    HWND menuWindow = *static_cast<HWND*>(block);
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
    auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
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

// Tells a window it moved onto a monitor of another scaling, as Windows does: the suggested
// rectangle must be in the program's own memory, where no message from outside can put it.
struct DpiChange {
    HWND window;
    UINT dpi;
    RECT suggested;
};

extern "C" __declspec(dllexport) DWORD WINAPI SendDpiChanged(void* block) {
    auto* change = static_cast<DpiChange*>(block);
    SendMessageW(change->window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(change->dpi, change->dpi),
                 reinterpret_cast<LPARAM>(&change->suggested));
    return 1;
}

// Asks a window the size it wants at another scaling (WM_GETDPISCALEDSIZE), as Windows does before
// it moves the window onto a monitor of that scaling: width and height in the low and high words,
// 0 when the window leaves the size to Windows.
struct ScaledSizeAsk {
    HWND window;
    UINT dpi;
};

extern "C" __declspec(dllexport) DWORD WINAPI AskDpiScaledSize(void* block) {
    const auto* ask = static_cast<ScaledSizeAsk*>(block);
    SIZE size{};
    if (!SendMessageW(ask->window, 0x02E4 /* WM_GETDPISCALEDSIZE */, ask->dpi, reinterpret_cast<LPARAM>(&size)))
        return 0;
    return MAKELONG(size.cx, size.cy);
}

// The height (lfHeight) of a control's font, plus 100000 so that the answer is never 0; 0 when it
// has none. Fonts are the process's own, read only from inside it.
extern "C" __declspec(dllexport) DWORD WINAPI FontHeightOf(void* block) {
    HWND control = *static_cast<HWND*>(block);
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    if (!font || GetObjectW(font, sizeof face, &face) != sizeof face) return 0;
    return static_cast<DWORD>(face.lfHeight + 100000);
}

// The size of the icon a window shows (WM_GETICON: ICON_BIG or ICON_SMALL), the width in the low
// word and the height in the high one; 0 when it shows none. Icons are the process's own.
struct IconAsk {
    HWND window;
    WPARAM which;
};

extern "C" __declspec(dllexport) DWORD WINAPI IconSizeOf(void* block) {
    const auto* ask = static_cast<IconAsk*>(block);
    auto icon = reinterpret_cast<HICON>(SendMessageW(ask->window, WM_GETICON, ask->which, 0));
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bits{};
    const bool read = info.hbmColor && GetObjectW(info.hbmColor, sizeof bits, &bits);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return read ? MAKELONG(bits.bmWidth, bits.bmHeight) : 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
