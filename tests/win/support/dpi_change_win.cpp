#include "support/dpi_change_win.h"

namespace tf::test {
namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

}  // namespace

ScreenDpiForNewPrograms::ScreenDpiForNewPrograms(DWORD dpi) {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
           ERROR_SUCCESS;
    set_ = Change(dpi);
}

ScreenDpiForNewPrograms::~ScreenDpiForNewPrograms() {
    if (had_) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &old_, sizeof old_);
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
}

bool ScreenDpiForNewPrograms::Change(DWORD dpi) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS;
}

WindowLayout LayoutOf(HWND window) {
    WindowLayout layout{};
    RECT client{};
    GetClientRect(window, &client);
    layout.client = {client.right, client.bottom};
    struct Walk {
        HWND window;
        WindowLayout* layout;
    } walk{window, &layout};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto& w = *reinterpret_cast<Walk*>(data);
            RECT box{};
            GetWindowRect(child, &box);
            MapWindowPoints(nullptr, w.window, reinterpret_cast<POINT*>(&box), 2);
            const std::optional<DWORD> font = RunProbe(child, "FontHeightOf", &child, sizeof child);
            const int fontHeight = font && *font ? static_cast<int>(*font) - 100000 : 0;
            w.layout->controls.push_back({ClassOf(child), GetDlgCtrlID(child), box, fontHeight});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return layout;
}

bool SendDpiChange(HWND window, int dpi, SIZE client) {
    RECT outer{};
    RECT inner{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &inner);
    const int frameWidth = (outer.right - outer.left) - inner.right;
    const int frameHeight = (outer.bottom - outer.top) - inner.bottom;
    RECT suggested{outer.left, outer.top, outer.left + client.cx + frameWidth, outer.top + client.cy + frameHeight};
    const struct {
        HWND window;
        UINT dpi;
        RECT suggested;
    } change{window, static_cast<UINT>(dpi), suggested};
    if (!RunProbe(window, "SendDpiChanged", &change, sizeof change)) return false;
    return WaitUntil([&] {
        RECT now{};
        GetClientRect(window, &now);
        return now.right == client.cx && now.bottom == client.cy;
    });
}

std::optional<SIZE> DpiScaledSize(HWND window, int dpi) {
    const struct {
        HWND window;
        UINT dpi;
    } ask{window, static_cast<UINT>(dpi)};
    const std::optional<DWORD> size = RunProbe(window, "AskDpiScaledSize", &ask, sizeof ask);
    if (!size || !*size) return std::nullopt;
    return SIZE{LOWORD(*size), HIWORD(*size)};
}

void ExpectSameLayout(const WindowLayout& changed, const WindowLayout& opened, const std::string& name) {
    SCOPED_TRACE(name);
    EXPECT_EQ(changed.client.cx, opened.client.cx);
    EXPECT_EQ(changed.client.cy, opened.client.cy);
    ASSERT_EQ(changed.controls.size(), opened.controls.size());
    for (std::size_t i = 0; i < changed.controls.size(); ++i) {
        const ControlPlace& a = changed.controls[i];
        const ControlPlace& b = opened.controls[i];
        SCOPED_TRACE(Narrow(b.cls) + " id " + std::to_string(b.id));
        EXPECT_EQ(a.cls, b.cls);
        EXPECT_EQ(a.box.left, b.box.left);
        EXPECT_EQ(a.box.top, b.box.top);
        EXPECT_EQ(a.box.right, b.box.right);
        EXPECT_EQ(a.box.bottom, b.box.bottom);
        EXPECT_EQ(a.fontHeight, b.fontHeight);
    }
}

}  // namespace tf::test
