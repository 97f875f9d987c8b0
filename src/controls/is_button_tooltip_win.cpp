// The isButton's own tooltip, and the container's tooltip text it takes over while it shows.
#include "controls/is_button_win.h"

#include "base/controls_win.h"
#include "base/dpi_win.h"

#include <commctrl.h>

#include <vector>

namespace tf {
namespace {

COLORREF Ref(Colour c) { return static_cast<COLORREF>(c & 0xFFFFFF); }

// The font Windows gives tooltips (the status font), at this scaling: asked for at that scaling
// where Windows can (10, 1607 on), else the system's scaled by the ratio.
HFONT ToolTipFontAt(Dpi dpi) {
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<ForDpiFn>(
                            reinterpret_cast<void*>(GetProcAddress(user32, "SystemParametersInfoForDpi")))
                      : nullptr;
    }();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi.Value()))) {
        return CreateFontIndirectW(&metrics.lfStatusFont);
    }
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
    metrics.lfStatusFont.lfHeight = MulDiv(metrics.lfStatusFont.lfHeight, dpi.Value(), ScreenDpi());
    return CreateFontIndirectW(&metrics.lfStatusFont);
}

}  // namespace

void IsButton::ToolTipFont() {
    UniqueFont font(ToolTipFontAt(DpiOf(hwnd_)));
    if (!font) return;
    SendMessageW(toolTip_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    // The tooltip draws with the font it was given, so the old one goes only now.
    toolTipFont_ = std::move(font);
}

void IsButton::FitToolTip() {
    if (!toolTip_) return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = hwnd_;
    GetClientRect(hwnd_, &tool.rect);
    SendMessageW(toolTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void IsButton::BuildToolTip() {
    if (toolTip_) DestroyWindow(toolTip_);
    DWORD style = WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | (props_.toolTipType == 1 ? TTS_BALLOON : 0);
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!toolTip_) return;
    SetWindowPos(toolTip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ToolTipFont();
    std::wstring text = Widen(props_.toolTip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.hinst = GetModuleHandleW(nullptr);
    tool.lpszText = text.data();
    GetClientRect(hwnd_, &tool.rect);
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!props_.toolTipTitle.empty() || props_.toolTipIcon != 0) {
        std::wstring title = Widen(props_.toolTipTitle);
        SendMessageW(toolTip_, TTM_SETTITLEW, static_cast<WPARAM>(props_.toolTipIcon),
                     reinterpret_cast<LPARAM>(title.c_str()));
    }
    if (props_.toolTipForeColor != 0) {
        SendMessageW(toolTip_, TTM_SETTIPTEXTCOLOR, Ref(TranslateColour(props_.toolTipForeColor, palette_)), 0);
    }
    if (props_.toolTipBackColor != 0) {
        SendMessageW(toolTip_, TTM_SETTIPBKCOLOR, Ref(TranslateColour(props_.toolTipBackColor, palette_)), 0);
    }
}

namespace {

// The tooltip windows of this thread other than the control's own.
std::vector<HWND> ThreadToolTips(HWND own) {
    struct Search {
        HWND own;
        std::vector<HWND> found;
    } search{own, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t cls[32] = {};
            GetClassNameW(w, cls, 32);
            if (w != s->own && std::wstring_view(cls) == TOOLTIPS_CLASSW) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TOOLINFOW ToolFor(HWND parent, HWND control, wchar_t* text) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    return tool;
}

}  // namespace

void IsButton::TakeContainerToolTip() {
    HWND parent = GetParent(hwnd_);
    if (!parent || containerTip_) return;
    for (HWND tip : ThreadToolTips(toolTip_)) {
        wchar_t text[1024] = {};
        TOOLINFOW tool = ToolFor(parent, hwnd_, text);
        if (!SendMessageW(tip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) || !text[0]) continue;
        // Only one tooltip may show for the control: the container's text becomes its own.
        containerTip_ = tip;
        containerText_ = text;
        props_.toolTip = Narrow(text);
        wchar_t empty[1] = {};
        TOOLINFOW cleared = ToolFor(parent, hwnd_, empty);
        SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&cleared));
        return;
    }
}

void IsButton::GiveBackContainerToolTip() {
    if (!containerTip_) return;
    if (IsWindow(containerTip_)) {
        TOOLINFOW tool = ToolFor(GetParent(hwnd_), hwnd_, containerText_.data());
        SendMessageW(containerTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    containerTip_ = nullptr;
    containerText_.clear();
}

}  // namespace tf
