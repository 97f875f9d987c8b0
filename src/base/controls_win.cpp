#include "base/controls_win.h"

#include "base/dpi_win.h"
#include "base/program_look_win.h"

namespace tf {

ScreenBox WorkAreaNear(const RECT& box) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromRect(&box, MONITOR_DEFAULTTONEAREST), &info)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    }
    return BoxOf(info.rcWork);
}

ScreenBox PrimaryWorkArea() {
    // The primary monitor is the one holding the origin.
    return WorkAreaNear(RECT{0, 0, 1, 1});
}

HWND CreateCenteredWindow(DWORD exStyle, const wchar_t* cls, const std::wstring& caption, DWORD style, int clientWidth,
                          int clientHeight, HWND owner, void* param, Dpi dpi) {
    const RECT frame = FrameAround(clientWidth, clientHeight, style, exStyle, dpi);
    // The main window is often hidden in the notification area when a prompt is asked for.
    RECT ownerRect;
    const bool overOwner = owner && IsWindowVisible(owner) && GetWindowRect(owner, &ownerRect);
    const ScreenBox work = overOwner ? WorkAreaNear(ownerRect) : PrimaryWorkArea();
    const ScreenBox over = overOwner ? BoxOf(ownerRect) : work;
    const ScreenBox at = CentreInside(frame.right - frame.left, frame.bottom - frame.top, over, work);
    return CreateWindowExW(exStyle, cls, caption.c_str(), style, at.left, at.top, at.Width(), at.Height(), owner,
                           nullptr, GetModuleHandleW(nullptr), param);
}

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y,
                 int w, int h, HFONT font, void* param) {
    HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), param);
    if (child && font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

bool RegisterWindowClass(const wchar_t* name, WNDPROC proc, HBRUSH background, UINT style, HICON icon,
                         HICON smallIcon) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.style = style;
    cls.lpfnWndProc = proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hIcon = icon;
    cls.hIconSm = smallIcon;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = background;
    cls.lpszClassName = name;
    return RegisterClassExW(&cls) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::string TextOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return Narrow(text);
}

namespace {

int ScreenCaps(int index) {
    HDC screen = GetDC(nullptr);
    int value = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return value;
}

}  // namespace

int ScreenDpi() { return ScreenCaps(LOGPIXELSY); }

int ScreenDpiX() { return ScreenCaps(LOGPIXELSX); }

HFONT CreateUiFont(int points, Dpi dpi, int weight, bool underline) {
    return CreateFontW(dpi.FontHeight(points), 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

std::int16_t ShiftState() {
    std::int16_t shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

bool DialogFace::Ready(const wchar_t* windowClass, WNDPROC proc, Dpi at) {
    UseDpi(at);
    if (brush) return true;
    brush.Reset(CreateSolidBrush(kFaceColour));
    return RegisterWindowClass(windowClass, proc, brush.Get());
}

void DialogFace::UseDpi(Dpi at) {
    if (font && dpi == at) return;
    dpi = at;
    font.Reset(CreateUiFont(9, dpi));
}

}  // namespace tf
