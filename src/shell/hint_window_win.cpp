#include "shell/hint_window_win.h"

#include "base/controls_win.h"

#include <vector>

#include "base/window_helpers_win.h"
#include "shell/window_rules.h"

namespace tf {
namespace {

// The maker's second web site: the home page of the server the program already talks to.
constexpr char kSecondSite[] = TAMBORVIN_SERVER "/";

// Layout at 96 dpi inside the 250 x 38 pixel client area.
constexpr int kPadding = 6;
constexpr int kImage1Size = 24;
constexpr int kImage2Size = 16;
constexpr int kLineHeight = 15;

const COLORREF kFaceColor = RGB(246, 250, 254);
const COLORREF kFrameColor = RGB(2, 87, 157);
const COLORREF kTitleText = RGB(2, 87, 157);
const COLORREF kAddressText = RGB(30, 30, 30);

HWND CreateChild(HWND parent, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h, HFONT font) {
    HWND child = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child && font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

// A small globe: the picture that leads to the web site.
void DrawGlobe(HDC dc, RECT box, COLORREF colour) {
    int size = box.right - box.left;
    HPEN pen = CreatePen(PS_SOLID, size >= 24 ? 2 : 1, colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    InflateRect(&box, -1, -1);
    int cx = (box.left + box.right) / 2;
    int cy = (box.top + box.bottom) / 2;
    int quarter = (box.right - box.left) / 4;
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
    Ellipse(dc, cx - quarter, box.top, cx + quarter + 1, box.bottom);
    MoveToEx(dc, box.left, cy, nullptr);
    LineTo(dc, box.right, cy);
    MoveToEx(dc, cx, box.top, nullptr);
    LineTo(dc, cx, box.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

}  // namespace

HintWindow::~HintWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(boldFont_),
                           static_cast<HGDIOBJ>(faceBrush_), static_cast<HGDIOBJ>(frameBrush_)}) {
        if (object) DeleteObject(object);
    }
    if (icon_) DestroyIcon(icon_);
}

bool HintWindow::Create(HINSTANCE instance) {
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);

    // Icon 1 is the program's own; a host without it (a test program) shows the system's.
    icon_ =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, Px(kImage1Size), Px(kImage1Size), 0));
    if (!icon_) icon_ = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    font_ = CreateUiFont(8, dpi_);
    boldFont_ = CreateUiFont(8, dpi_, FW_BOLD);
    faceBrush_ = CreateSolidBrush(kFaceColor);
    frameBrush_ = CreateSolidBrush(kFrameColor);

    if (!RegisterWindowClass(kHintWindowClass, OwnerWindowProc<HintWindow>, faceBrush_)) return false;

    // Borderless, so the window is its client area.
    int width = TwipsToPixels(kHintWidthTwips, dpiX);
    int height = TwipsToPixels(kHintHeightTwips, dpi_);
    ScreenPoint spot =
        HintWindowPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height, dpi_);
    // Moved up or left where a taskbar would cover it.
    ScreenBox at = FitInside({spot.x, spot.y, spot.x + width, spot.y + height}, PrimaryWorkArea());
    // A tool window has no taskbar button; NOACTIVATE keeps a click on it from taking the focus
    // away from the page the user is filling in.
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kHintWindowClass, L"Tamborvin", WS_POPUP, at.left,
                            at.top, width, height, nullptr, nullptr, instance, this);
    return hwnd_ != nullptr;
}

void HintWindow::CreateControls() {
    RECT client;
    GetClientRect(hwnd_, &client);
    int width = client.right;
    int height = client.bottom;
    int pad = Px(kPadding);
    int image1 = Px(kImage1Size);
    int image2 = Px(kImage2Size);
    int textX = pad + image1 + pad;
    int lines = 2 * Px(kLineHeight);
    int textY = (height - lines) / 2;

    CreateChild(hwnd_, L"", SS_OWNERDRAW, kIdHintImage1, pad, (height - image1) / 2, image1, image1, nullptr);
    label1_ = CreateChild(hwnd_, Widen(kHintLabel1).c_str(), SS_LEFT | SS_NOPREFIX, kIdHintLabel1, textX, textY,
                          width - textX - pad - image2 - pad, Px(kLineHeight), boldFont_);
    image2_ = CreateChild(hwnd_, L"", SS_OWNERDRAW | SS_NOTIFY, kIdHintImage2, width - pad - image2, textY, image2,
                          image2, nullptr);
    // Long addresses end in an ellipsis rather than run under the frame.
    label2_ = CreateChild(hwnd_, Widen(kHintLabel2).c_str(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kIdHintLabel2,
                          textX, textY + Px(kLineHeight), width - textX - pad, Px(kLineHeight), font_);
}

void HintWindow::SetLabel2(const std::string& text) {
    // Called every second by the browser watch: repaint only when the address changed.
    if (Label2() == text) return;
    SetWindowTextW(label2_, Widen(text).c_str());
}

std::string HintWindow::Label2() const {
    int length = GetWindowTextLengthW(label2_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(label2_, text.data(), length + 1)));
    return Narrow(text);
}

void HintWindow::ShowHint(const std::string& text) {
    SetLabel2(text);
    if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    int alpha = 255;
    SetTopLayered(hwnd_, true, alpha, false);
}

void HintWindow::HideHint() {
    if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
}

void HintWindow::Image2_Click() {
    // Through the shell's command line, as a user would type it; the browser it opens starts
    // minimised, so the page in front stays where it is.
    std::wstring command = L"explorer " + Widen(kSecondSite);
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void HintWindow::DrawImage(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, faceBrush_);
    if (item.CtlID == kIdHintImage1) {
        DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon_, item.rcItem.right - item.rcItem.left,
                   item.rcItem.bottom - item.rcItem.top, 0, nullptr, DI_NORMAL);
    } else {
        DrawGlobe(item.hDC, item.rcItem, kFrameColor);
    }
}

LRESULT HintWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kIdHintImage2 && HIWORD(wParam) == STN_CLICKED) Image2_Click();
            return 0;
        case WM_DRAWITEM:
            DrawImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, reinterpret_cast<HWND>(lParam) == label1_ ? kTitleText : kAddressText);
            SetBkColor(dc, kFaceColor);
            return reinterpret_cast<LRESULT>(faceBrush_);
        }
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == image2_) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            // No border of the system's: the frame sets the hint off against any page behind it.
            RECT client;
            GetClientRect(hwnd_, &client);
            FrameRect(dc, &client, frameBrush_);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
