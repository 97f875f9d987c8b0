#include "shell/hint_window_win.h"

#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "base/program_look_win.h"
#include "base/shell_start_win.h"
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

// A small globe: the picture that leads to the web site.
void DrawGlobe(HDC dc, RECT box, COLORREF colour) {
    int size = box.right - box.left;
    UniquePen pen(CreatePen(PS_SOLID, size >= 24 ? 2 : 1, colour));
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
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
}

}  // namespace

HintWindow::~HintWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool HintWindow::Create(HINSTANCE instance) {
    instance_ = instance;
    const HintPlace place = PlaceHint(Monitors(), nullptr);
    UseDpi(place.dpi);
    faceBrush_.Reset(CreateSolidBrush(kHintFaceColour));
    frameBrush_.Reset(CreateSolidBrush(kBandBlue));

    if (!RegisterWindowClass(kHintWindowClass, OwnerWindowProc<HintWindow>, faceBrush_.Get())) return false;

    // Borderless, so the window is its client area. A tool window has no taskbar button;
    // NOACTIVATE keeps a click on it from taking the focus away from the page the user is filling in.
    const ScreenBox& at = place.box;
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kHintWindowClass, L"Tamborvin", WS_POPUP, at.left,
                            at.top, at.Width(), at.Height(), nullptr, nullptr, instance, this);
    return hwnd_ != nullptr;
}

void HintWindow::UseDpi(Dpi dpi) {
    dpi_ = dpi;
    if (hwnd_) SetWindowDpi(hwnd_, dpi_);
    // Icon 1 is the program's own; a host without it (a test program) shows the system's.
    const int iconSize = dpi_.Px(kImage1Size);
    icon_.Reset(static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, iconSize, iconSize, 0)));
    if (!icon_) icon_.Reset(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    font_.Reset(CreateUiFont(8, dpi_));
    boldFont_.Reset(CreateUiFont(8, dpi_, FW_BOLD));
}

void HintWindow::PlaceFor(HWND browser) {
    if (!hwnd_) return;
    RECT r;
    const bool seen = browser && IsWindow(browser) && !IsIconic(browser) && GetWindowRect(browser, &r);
    const ScreenBox browserBox = BoxOf(r);
    RECT now;
    GetWindowRect(hwnd_, &now);
    const ScreenBox nowBox = BoxOf(now);
    // The scaling Windows last told the window (WM_DPICHANGED) is that of the monitor it stands on.
    std::vector<MonitorArea> monitors = Monitors();
    monitors[MonitorOf(monitors, nowBox)].dpi = dpi_.Value();
    const HintPlace place = PlaceHint(monitors, seen ? &browserBox : nullptr);
    if (place.dpi == dpi_.Value() && place.box == nowBox) return;
    if (place.dpi != dpi_.Value()) UseDpi(place.dpi);
    MoveTo(place.box);
}

void HintWindow::MoveTo(const ScreenBox& box) {
    placing_ = true;
    SetWindowPos(hwnd_, nullptr, box.left, box.top, box.Width(), box.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    placing_ = false;
    Layout();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void HintWindow::Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    int width = client.right;
    int height = client.bottom;
    int pad = dpi_.Px(kPadding);
    int image1 = dpi_.Px(kImage1Size);
    int image2 = dpi_.Px(kImage2Size);
    int lineHeight = dpi_.Px(kLineHeight);
    int textX = pad + image1 + pad;
    int textY = (height - 2 * lineHeight) / 2;
    const RECT boxes[] = {{pad, (height - image1) / 2, image1, image1},
                          {textX, textY, width - textX - pad - image2 - pad, lineHeight},
                          {width - pad - image2, textY, image2, image2},
                          {textX, textY + lineHeight, width - textX - pad, lineHeight}};
    if (!image1_) {
        image1_ = CreateChild(hwnd_, 0, L"STATIC", L"", SS_OWNERDRAW, kIdHintImage1, 0, 0, 0, 0, nullptr);
        label1_ = CreateChild(hwnd_, 0, L"STATIC", Widen(kHintLabel1).c_str(), SS_LEFT | SS_NOPREFIX, kIdHintLabel1, 0,
                              0, 0, 0, nullptr);
        image2_ = CreateChild(hwnd_, 0, L"STATIC", L"", SS_OWNERDRAW | SS_NOTIFY, kIdHintImage2, 0, 0, 0, 0, nullptr);
        // Long addresses end in an ellipsis rather than run under the frame.
        label2_ = CreateChild(hwnd_, 0, L"STATIC", Widen(kHintLabel2).c_str(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS,
                              kIdHintLabel2, 0, 0, 0, 0, nullptr);
    }
    const HWND controls[] = {image1_, label1_, image2_, label2_};
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        const RECT& b = boxes[i];
        MoveWindow(controls[i], b.left, b.top, b.right, b.bottom, FALSE);
    }
    SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.Get()), FALSE);
    SendMessageW(label2_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

void HintWindow::SetLabel2(const std::string& text) {
    // Called every second by the browser watch: repaint only when the address changed.
    if (Label2() == text) return;
    SetWindowTextW(label2_, Widen(text).c_str());
}

std::string HintWindow::Label2() const { return TextOf(label2_); }

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
    StartCommandLine(L"explorer " + Widen(kSecondSite), SW_SHOWMINIMIZED);
}

void HintWindow::DrawImage(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, faceBrush_.Get());
    if (item.CtlID == kIdHintImage1) {
        DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon_.Get(), item.rcItem.right - item.rcItem.left,
                   item.rcItem.bottom - item.rcItem.top, 0, nullptr, DI_NORMAL);
    } else {
        DrawGlobe(item.hDC, item.rcItem, kBandBlue);
    }
}

LRESULT HintWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            SetWindowDpi(hwnd_, dpi_);
            Layout();
            return 0;
        case kDpiChanged:
            // Moving itself onto another monitor, the window has taken that monitor's scaling and
            // its place already; moved by anyone else, it takes the scaling and the rectangle given.
            if (!placing_) {
                UseDpi(TakeDpiChange(hwnd_, wParam, lParam));
                Layout();
                InvalidateRect(hwnd_, nullptr, TRUE);
            }
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kIdHintImage2 && HIWORD(wParam) == STN_CLICKED) Image2_Click();
            return 0;
        case WM_DRAWITEM:
            DrawImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, reinterpret_cast<HWND>(lParam) == label1_ ? kBandBlue : kAddressText);
            SetBkColor(dc, kHintFaceColour);
            return reinterpret_cast<LRESULT>(faceBrush_.Get());
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
            FrameRect(dc, &client, frameBrush_.Get());
            EndPaint(hwnd_, &ps);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
