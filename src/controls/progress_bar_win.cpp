#include "controls/progress_bar_win.h"

#include "base/controls_win.h"
#include "base/dpi_win.h"

#include <algorithm>
#include <vector>

namespace tf {
namespace {

// Corner ellipses of the window region, in lines (LineUnit).
constexpr int kCornerSize = 2;

HBITMAP SkinBitmap(const SkinPicture& picture) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down, as the picture's rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    // 16 lines of 3 bytes fill a row exactly: no padding to the 4-byte boundary.
    static_assert(kSkinWidth * 3 % 4 == 0);
    auto* out = static_cast<std::uint8_t*>(bits);
    for (std::uint32_t pixel : picture.pixels) {
        *out++ = static_cast<std::uint8_t>(pixel);
        *out++ = static_cast<std::uint8_t>(pixel >> 8);
        *out++ = static_cast<std::uint8_t>(pixel >> 16);
    }
    GdiFlush();
    return bitmap;
}

}  // namespace

// The owner object comes as the creation parameter.
ProgressBar* ProgressBar::ObjectOf(void* param) { return static_cast<ProgressBar*>(param); }

ProgressBar::~ProgressBar() {
    if (hwnd_ && !ownedByWindow_) DestroyWindow(hwnd_);
}

bool ProgressBar::Register() {
    // No background brush: the bar paints every pixel itself, and erasing first would flicker.
    return RegisterWindowClass(kProgressBarClass, OwnerWindowProc<ProgressBar>, nullptr, CS_DBLCLKS);
}

bool ProgressBar::Create(HWND parent, int id, int x, int y, int width) {
    if (!Register()) return false;
    std::wstring design = Widen(Design());
    return CreateChild(parent, 0, kProgressBarClass, design.c_str(), 0, id, x, y, width,
                       Dpi(DpiOf(parent)).Px(kProgressBarHeight), nullptr, this) != nullptr;
}

int ProgressBar::Height() const { return Dpi(DpiOf(hwnd_)).Px(kProgressBarHeight); }

int ProgressBar::Unit() const { return LineUnit(DpiOf(hwnd_).Value()); }

void ProgressBar::SetValue(double value) {
    int oldFill = range_.FillWidth(Width());
    range_.SetValue(value);
    Changed(oldFill);
}

void ProgressBar::SetMax(double max) {
    int oldFill = range_.FillWidth(Width());
    range_.SetMax(max);
    Changed(oldFill);
}

int ProgressBar::Width() const {
    if (!hwnd_) return 0;
    RECT client;
    GetClientRect(hwnd_, &client);
    return client.right;
}

void ProgressBar::Changed(int oldFill) {
    // The download sets the percent after every chunk; most of those move the fill by no pixel.
    if (!hwnd_ || range_.FillWidth(Width()) == oldFill) return;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void ProgressBar::Reshape() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int corner = kCornerSize * Unit();
    HRGN region = CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1, corner, corner);
    // The window owns the region from here on.
    if (region && !SetWindowRgn(hwnd_, region, TRUE)) DeleteObject(region);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ProgressBar::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0) return;

    // Drawn off screen and copied in one piece, so the track never shows through the fill.
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP surface = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ oldSurface = SelectObject(buffer, surface);
    FillRect(buffer, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    // Pictures as high as the bar, so only their middle band is stretched, and only across.
    const int unit = Unit();
    if (skinHeight_ != height || skinUnit_ != unit) {
        track_.Reset();
        fill_.Reset();
    }
    if (!track_) track_.Reset(SkinBitmap(TrackSkin(height, unit)));
    if (!fill_) fill_.Reset(SkinBitmap(FillSkin(height, unit)));
    skinHeight_ = height;
    skinUnit_ = unit;
    const int skinHeight = std::max(height, 4 * unit);
    HDC skin = CreateCompatibleDC(dc);
    HGDIOBJ oldSkin = SelectObject(skin, track_.Get());
    SetStretchBltMode(buffer, COLORONCOLOR);
    for (const SkinBlit& b : TrackBlits(width, unit)) {
        StretchBlt(buffer, b.x, 0, b.width, height, skin, b.sourceX, 0, b.sourceWidth, skinHeight, SRCCOPY);
    }
    SelectObject(skin, fill_.Get());
    for (const SkinBlit& b : FillBlits(range_.FillWidth(width), unit)) {
        StretchBlt(buffer, b.x, 0, b.width, height, skin, b.sourceX, 0, b.sourceWidth, skinHeight, SRCCOPY);
    }
    SelectObject(skin, oldSkin);
    DeleteDC(skin);

    BitBlt(dc, 0, 0, width, height, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, oldSurface);
    DeleteObject(surface);
    DeleteDC(buffer);
}

void ProgressBar::Notify(WORD code) {
    HWND parent = GetParent(hwnd_);
    if (!parent) return;
    auto id = static_cast<WORD>(GetDlgCtrlID(hwnd_));
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(hwnd_));
}

ProgressMouse ProgressBar::MouseAt(std::int16_t button, WPARAM, LPARAM lParam) const {
    return {button, ShiftState(), static_cast<float>(static_cast<short>(LOWORD(lParam))),
            static_cast<float>(static_cast<short>(HIWORD(lParam)))};
}

void ProgressBar::ButtonDown(std::int16_t button, WPARAM wParam, LPARAM lParam) {
    // Captured, so the release is heard even off the bar and a click needs both on it.
    SetCapture(hwnd_);
    pressed_ = button;
    if (MouseDown) MouseDown(MouseAt(button, wParam, lParam));
}

void ProgressBar::ButtonUp(std::int16_t button, WPARAM wParam, LPARAM lParam) {
    bool wasPressed = pressed_ == button;
    pressed_ = 0;
    if (GetCapture() == hwnd_) ReleaseCapture();
    ProgressMouse mouse = MouseAt(button, wParam, lParam);
    if (MouseUp) MouseUp(mouse);
    // A handler may have closed the window under us.
    if (!hwnd_ || !wasPressed || button != 1) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    POINT at{static_cast<LONG>(mouse.x), static_cast<LONG>(mouse.y)};
    if (PtInRect(&client, at)) {
        if (Click) Click();
        if (hwnd_) Notify(kPbnClicked);
    }
}

LRESULT ProgressBar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE: {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            if (create->lpszName && *create->lpszName) range_ = LoadProgressDesign(Narrow(create->lpszName));
            // Whatever height the creator gave, the bar is 12 pixels high at 96 dpi.
            if (create->cy != Height()) {
                SetWindowPos(hwnd_, nullptr, 0, 0, create->cx, Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            Reshape();
            return 0;
        }
        case WM_WINDOWPOSCHANGING: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(pos->flags & SWP_NOSIZE)) pos->cy = Height();
            return 0;
        }
        case kDpiChangedAfterParent: {
            // The height of the new scaling, and the region and pictures of it (Paint remakes them).
            RECT client;
            GetClientRect(hwnd_, &client);
            SetWindowPos(hwnd_, nullptr, 0, 0, client.right, Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Reshape();
            return 0;
        }
        case WM_SIZE:
            Reshape();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            Paint(dc);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case kPbmSetValue:
            SetValue(std::bit_cast<double>(wParam));
            return 0;
        case kPbmGetValue:
            return std::bit_cast<LRESULT>(Value());
        case kPbmSetMax:
            SetMax(std::bit_cast<double>(wParam));
            return 0;
        case kPbmGetMax:
            return std::bit_cast<LRESULT>(Max());
        case WM_LBUTTONDOWN:
            ButtonDown(1, wParam, lParam);
            return 0;
        case WM_RBUTTONDOWN:
            ButtonDown(2, wParam, lParam);
            return 0;
        case WM_MBUTTONDOWN:
            ButtonDown(4, wParam, lParam);
            return 0;
        case WM_LBUTTONUP:
            ButtonUp(1, wParam, lParam);
            return 0;
        case WM_RBUTTONUP:
            ButtonUp(2, wParam, lParam);
            return 0;
        case WM_MBUTTONUP:
            ButtonUp(4, wParam, lParam);
            return 0;
        case WM_LBUTTONDBLCLK:
            // The second press of a double click: its release still raises MouseUp, not Click.
            SetCapture(hwnd_);
            if (DblClick) DblClick();
            if (hwnd_) Notify(kPbnDoubleClicked);
            return 0;
        case WM_MOUSEMOVE:
            if (MouseMove) {
                std::int16_t held = 0;
                if (wParam & MK_LBUTTON) held |= 1;
                if (wParam & MK_RBUTTON) held |= 2;
                if (wParam & MK_MBUTTON) held |= 4;
                MouseMove(MouseAt(held, wParam, lParam));
            }
            return 0;
        case WM_CAPTURECHANGED:
            pressed_ = 0;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
