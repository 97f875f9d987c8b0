#include "base/dpi_win.h"

#include "base/controls_win.h"

namespace tf {
namespace {

// The property on a top-level window that holds its scaling.
constexpr wchar_t kDpiProperty[] = L"TamborvinFormDpi";

// What Windows 10 (1607 and later) has for per-monitor scaling, looked up rather than imported so
// that the programs still start where it is missing; there they run at the system's scaling.
struct PerMonitorApi {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    using MetricForDpiFn = int(WINAPI*)(int, UINT);
    using MonitorDpiFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

    GetDpiForWindowFn getDpiForWindow = nullptr;
    AdjustForDpiFn adjustWindowRectExForDpi = nullptr;
    MetricForDpiFn getSystemMetricsForDpi = nullptr;
    MonitorDpiFn getDpiForMonitor = nullptr;

    PerMonitorApi() {
        if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
            getDpiForWindow = Find<GetDpiForWindowFn>(user32, "GetDpiForWindow");
            adjustWindowRectExForDpi = Find<AdjustForDpiFn>(user32, "AdjustWindowRectExForDpi");
            getSystemMetricsForDpi = Find<MetricForDpiFn>(user32, "GetSystemMetricsForDpi");
        }
        // From the system folder only, as every DLL that is not a known one.
        if (HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
            getDpiForMonitor = Find<MonitorDpiFn>(shcore, "GetDpiForMonitor");
        }
    }

    template <class Fn>
    static Fn Find(HMODULE module, const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

const PerMonitorApi& Api() {
    static const PerMonitorApi api;
    return api;
}

Dpi MonitorDpi(HMONITOR monitor) {
    UINT x = 0;
    UINT y = 0;
    // MDT_EFFECTIVE_DPI (0): the scaling the user chose for the monitor.
    if (monitor && Api().getDpiForMonitor && SUCCEEDED(Api().getDpiForMonitor(monitor, 0, &x, &y)) && y > 0) {
        return static_cast<int>(y);
    }
    return ScreenDpi();
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM data) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    auto& list = *reinterpret_cast<std::vector<MonitorArea>*>(data);
    const MonitorArea area{BoxOf(info.rcMonitor), BoxOf(info.rcWork), MonitorDpi(monitor).Value()};
    if (info.dwFlags & MONITORINFOF_PRIMARY) {
        list.insert(list.begin(), area);
    } else {
        list.push_back(area);
    }
    return TRUE;
}

BOOL CALLBACK TellControl(HWND control, LPARAM) {
    SendMessageW(control, kDpiChangedAfterParent, 0, 0);
    return TRUE;
}

}  // namespace

std::vector<MonitorArea> Monitors() {
    std::vector<MonitorArea> list;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    if (list.empty()) {
        const ScreenBox work = PrimaryWorkArea();
        list.push_back({{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, work, ScreenDpi()});
    }
    return list;
}

Dpi DpiNear(const RECT& box) { return MonitorDpi(MonitorFromRect(&box, MONITOR_DEFAULTTONEAREST)); }

Dpi DpiForNewWindow(HWND owner) {
    RECT ownerRect;
    if (owner && IsWindowVisible(owner) && GetWindowRect(owner, &ownerRect)) return DpiNear(ownerRect);
    return MonitorDpi(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

Dpi DpiOf(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (!root) root = window;
    if (root) {
        const auto recorded = reinterpret_cast<INT_PTR>(GetPropW(root, kDpiProperty));
        if (recorded > 0) return static_cast<int>(recorded);
        if (Api().getDpiForWindow) {
            const UINT dpi = Api().getDpiForWindow(root);
            if (dpi > 0) return static_cast<int>(dpi);
        }
    }
    return ScreenDpi();
}

void SetWindowDpi(HWND topLevel, Dpi dpi) {
    SetPropW(topLevel, kDpiProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi.Value())));
}

Dpi TakeDpiChange(HWND window, WPARAM wParam, LPARAM lParam) {
    // HIWORD is the vertical scaling, LOWORD the horizontal; Windows makes them equal.
    const int value = HIWORD(wParam);
    const Dpi dpi = value > 0 ? Dpi(value) : DpiOf(window);
    SetWindowDpi(window, dpi);
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return dpi;
}

void TellControlsDpiChanged(HWND window) { EnumChildWindows(window, TellControl, 0); }

RECT FrameAround(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, Dpi dpi) {
    RECT frame{0, 0, clientWidth, clientHeight};
    if (Api().adjustWindowRectExForDpi) {
        Api().adjustWindowRectExForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi.Value()));
    } else {
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return frame;
}

int MetricAt(int index, Dpi dpi) {
    if (Api().getSystemMetricsForDpi) return Api().getSystemMetricsForDpi(index, static_cast<UINT>(dpi.Value()));
    return GetSystemMetrics(index);
}

}  // namespace tf
