// How an isButton paints: the core's face steps replayed with GDI, the caption, the icon and the
// focus, into a memory bitmap so that a repaint never flickers.
#include "controls/is_button_win.h"

#include "base/dpi_win.h"

#include <uxtheme.h>
#include <vssym32.h>

namespace tf {
namespace {

COLORREF Ref(Colour c) { return static_cast<COLORREF>(c & 0xFFFFFF); }

void FillColour(HDC dc, const RECT& r, Colour c) {
    HBRUSH brush = CreateSolidBrush(Ref(c));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

RECT ToRect(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// The dotted focus rectangle with sides `unit` pixels thick. DrawFocusRect takes the thickness of
// the system's scaling, not the button's; at one pixel it is exactly what it draws.
void DrawFocus(HDC dc, const RECT& r, int unit) {
    if (unit <= 1) {
        DrawFocusRect(dc, &r);
        return;
    }
    // Every other pixel, inverted, as DrawFocusRect does.
    static const WORD kDots[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kDots);
    HBRUSH dots = CreatePatternBrush(pattern);
    HGDIOBJ old = SelectObject(dc, dots);
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    PatBlt(dc, r.left, r.top, w, unit, PATINVERT);
    PatBlt(dc, r.left, r.bottom - unit, w, unit, PATINVERT);
    PatBlt(dc, r.left, r.top + unit, unit, h - 2 * unit, PATINVERT);
    PatBlt(dc, r.right - unit, r.top + unit, unit, h - 2 * unit, PATINVERT);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    SelectObject(dc, old);
    DeleteObject(dots);
    DeleteObject(pattern);
}

}  // namespace

bool IsButton::DrawThemed(HDC dc, const RECT& rect, int state) {
    HTHEME theme = OpenThemeData(hwnd_, L"Button");
    if (!theme) return false;
    bool drawn = SUCCEEDED(DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &rect, nullptr));
    CloseThemeData(theme);
    return drawn;
}

void IsButton::DrawIcon(HDC dc, VisualState state, int unit) {
    // A 16-bit size read from a damaged design may be zero or negative: nothing to draw then.
    if (!icon_ || props_.iconSize <= 0) return;
    int w = layout_.width, h = layout_.height;
    const int size = IconPixels();
    Rect r = IconRect(props_.iconAlign, props_.style, size, w, h, unit);
    if (state == VisualState::kDisabled) {
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon_), 0, r.left, r.top, size, size,
                   DST_ICON | DSS_DISABLED);
        return;
    }
    if (props_.style == 4 && state == VisualState::kHot) {
        // The raised look: a grey shadow where the icon is, the icon itself 2 lines up and left.
        DrawIconEx(dc, r.left, r.top, icon_, size, size, 0, nullptr, DI_NORMAL);
        // Read inside the frame, which is a line thick.
        COLORREF faceAt = GetPixel(dc, unit, unit);
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                if (GetPixel(dc, x, y) != faceAt) SetPixel(dc, x, y, RGB(0x80, 0x80, 0x80));
            }
        }
        DrawIconEx(dc, r.left - 2 * unit, r.top - 2 * unit, icon_, size, size, 0, nullptr, DI_NORMAL);
        return;
    }
    DrawIconEx(dc, r.left, r.top, icon_, size, size, 0, nullptr, DI_NORMAL);
}

bool IsButton::Paint(HDC target) {
    RECT client;
    GetClientRect(hwnd_, &client);
    int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return false;
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, w, h);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);

    VisualState state = DrawnState();
    lastDrawn_ = state;
    FaceRequest request;
    request.style = props_.style;
    request.state = state;
    request.focused = behaviour_.Focused();
    request.useCustomColors = props_.useCustomColors;
    request.showFocus = props_.showFocus;
    request.backColor = TranslateColour(props_.backColor, palette_);
    request.highlightColor = TranslateColour(props_.highlightColor, palette_);
    request.width = w;
    request.height = h;
    const int unit = LineUnit(DpiOf(hwnd_).Value());
    request.unit = unit;
    bool restyled = false;
    for (const PaintOp& op : PaintFace(request, palette_)) {
        RECT r = ToRect(op.rect);
        switch (op.kind) {
            case PaintOp::kFill:
                FillColour(dc, r, op.colour);
                break;
            case PaintOp::kLine: {
                HPEN pen = CreatePen(PS_SOLID, 1, Ref(op.colour));
                HGDIOBJ old = SelectObject(dc, pen);
                MoveToEx(dc, r.left, r.top, nullptr);
                LineTo(dc, r.right, r.bottom);
                SelectObject(dc, old);
                DeleteObject(pen);
                break;
            }
            case PaintOp::kPixel:
                SetPixel(dc, r.left, r.top, Ref(op.colour));
                break;
            case PaintOp::kEdge:
                DrawEdge(dc, &r, op.edge, op.flags);
                break;
            case PaintOp::kFrame: {
                HBRUSH brush = CreateSolidBrush(Ref(op.colour));
                FrameRect(dc, &r, brush);
                DeleteObject(brush);
                break;
            }
            case PaintOp::kTheme:
                if (!DrawThemed(dc, r, op.themeState)) {
                    // No visual style to draw with: the fall-back style from now on.
                    props_.style = props_.nonThemeStyle == kThemedStyle ? 0 : props_.nonThemeStyle;
                    restyled = true;
                }
                break;
        }
    }

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Ref(CaptionColour(state, props_.useCustomColors, TranslateColour(props_.fontColor, palette_),
                                       TranslateColour(props_.fontHighlightColor, palette_), palette_)));
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    RECT inner = ToRect(layout_.inner);
    std::wstring caption = Widen(props_.caption);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &inner, static_cast<UINT>(layout_.textFlags));
    SelectObject(dc, oldFont);
    DrawIcon(dc, state, unit);
    // A keyboard user must see which button Space presses.
    if (props_.showFocus && behaviour_.Focused() && props_.style != 5 && state != VisualState::kDisabled) {
        DrawFocus(dc, RECT{3 * unit, 3 * unit, w - 3 * unit, h - 3 * unit}, unit);
    }

    BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return restyled;
}
}  // namespace tf
