// The progress bar as Windows draws it: pixels of bars made in this process and of the demo
// program's window, which is also saved as a PNG for a person to look at.
#include "controls/progress_bar_win.h"

#include "base/controls_win.h"
#include "base/dpi_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ui_driver_win.h"

namespace tf::test {
namespace {

// What the screen shows in a rectangle, as 0xRRGGBB pixels.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

Capture CaptureDc(HDC source, int x, int y, int width, int height) {
    Capture capture{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const auto* raw = static_cast<const std::uint32_t*>(bits);
    for (std::size_t i = 0; i < capture.pixels.size(); ++i) capture.pixels[i] = raw[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    return capture;
}

Capture CaptureScreen(const RECT& area) {
    HDC screen = GetDC(nullptr);
    Capture capture = CaptureDc(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(nullptr, screen);
    return capture;
}

Capture CaptureWindow(HWND window) {
    RECT area;
    GetWindowRect(window, &area);
    return CaptureScreen(area);
}

// A PNG of the capture: stored (uncompressed) deflate blocks are enough for a screenshot.
void SavePng(const Capture& capture, const std::wstring& path) {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    auto crc = [&](const std::string& bytes) {
        std::uint32_t c = 0xFFFFFFFFu;
        for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
        return c ^ 0xFFFFFFFFu;
    };
    auto be32 = [](std::string& out, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift);
    };
    std::string out = "\x89PNG\r\n\x1a\n";
    auto chunk = [&](const char* type, const std::string& data) {
        be32(out, static_cast<std::uint32_t>(data.size()));
        std::string typed = type + data;
        out += typed;
        be32(out, crc(typed));
    };
    std::string header;
    be32(header, static_cast<std::uint32_t>(capture.width));
    be32(header, static_cast<std::uint32_t>(capture.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
    chunk("IHDR", header);

    std::string raw;
    for (int y = 0; y < capture.height; ++y) {
        raw += '\0';
        for (int x = 0; x < capture.width; ++x) {
            std::uint32_t p = capture.At(x, y);
            raw += static_cast<char>(p >> 16);
            raw += static_cast<char>(p >> 8);
            raw += static_cast<char>(p);
        }
    }
    std::string zlib = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size(); at += 65535) {
        std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        zlib += static_cast<char>(at + n >= raw.size() ? 1 : 0);
        zlib += static_cast<char>(n & 0xFF);
        zlib += static_cast<char>(n >> 8);
        zlib += static_cast<char>(~n & 0xFF);
        zlib += static_cast<char>((~n >> 8) & 0xFF);
        zlib.append(raw, at, n);
    }
    be32(zlib, (b << 16) | a);
    chunk("IDAT", zlib);
    chunk("IEND", "");

    FILE* file = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(file, nullptr);
    fwrite(out.data(), 1, out.size(), file);
    fclose(file);
}

int Green(std::uint32_t p) { return static_cast<int>(p >> 8 & 0xFF) - static_cast<int>(p >> 16 & 0xFF); }
bool IsFill(std::uint32_t p) { return Green(p) > 40; }
bool IsTrack(std::uint32_t p) { return (p >> 16 & 0xFF) > 215 && (p >> 8 & 0xFF) > 215 && (p & 0xFF) > 215; }

// Along the middle row: fill up to x = fill - 1, track from x = fill on (caps excepted at the ends).
void ExpectFillEndsAt(const Capture& bar, int fill) {
    const int row = kProgressBarHeight / 2;
    for (int x = 1; x < bar.width - 1; ++x) {
        SCOPED_TRACE(testing::Message() << "x " << x << " fill " << fill);
        if (x < fill - 1) {
            EXPECT_TRUE(IsFill(bar.At(x, row))) << std::hex << bar.At(x, row);
        } else if (x > fill) {
            EXPECT_TRUE(IsTrack(bar.At(x, row))) << std::hex << bar.At(x, row);
        }
    }
}

// What the host window heard from its bars: control id and notification code.
std::vector<std::pair<int, int>> commands;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND) commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class ProgressBarWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterWindowClass(L"ProgressBarTestHost", HostProc, GetSysColorBrush(COLOR_BTNFACE)));
        host_ = CreateWindowExW(WS_EX_TOPMOST, L"ProgressBarTestHost", L"", WS_POPUP | WS_VISIBLE, 20, 20, 420, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(host_, nullptr);
        commands.clear();
    }
    void TearDown() override { DestroyWindow(host_); }

    Capture Shown(HWND bar) {
        UpdateWindow(bar);
        HDC dc = GetDC(bar);
        RECT client;
        GetClientRect(bar, &client);
        Capture capture = CaptureDc(dc, 0, 0, client.right, client.bottom);
        ReleaseDC(bar, dc);
        return capture;
    }

    HWND host_ = nullptr;
};

TEST_F(ProgressBarWindow, SettingValueRedrawsAndTheHeightStaysTwelvePixelsAt96Dpi) {
    ProgressBar bar;
    ASSERT_TRUE(bar.Create(host_, 1, 10, 10, 200));
    bar.SetValue(40);
    ExpectFillEndsAt(Shown(bar.Handle()), 80);
    bar.SetMax(50);  // 40 of 50
    ExpectFillEndsAt(Shown(bar.Handle()), 160);
    bar.SetMax(20);  // pulls Value down: full
    EXPECT_EQ(bar.Value(), 20);
    ExpectFillEndsAt(Shown(bar.Handle()), 200);

    SetWindowPos(bar.Handle(), nullptr, 0, 0, 300, 60, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(bar.Handle(), &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, kProgressBarHeight);

    // Its window moved to a monitor at 200 %: twice as high, drawn from pictures of that height.
    SetWindowDpi(host_, 192);
    SendMessageW(bar.Handle(), kDpiChangedAfterParent, 0, 0);
    const Capture shown = Shown(bar.Handle());
    ASSERT_EQ(shown.height, 2 * kProgressBarHeight);
    const SkinPicture fill = FillSkin(2 * kProgressBarHeight, 2);
    for (int y = 0; y < shown.height; ++y) EXPECT_EQ(shown.At(150, y), fill.At(8, y)) << y;
}

TEST_F(ProgressBarWindow, ClassNameWindowReadsItsDesignAndAnswersMessages) {
    ASSERT_TRUE(ProgressBar::Register());
    HWND bar = CreateWindowExW(0, kProgressBarClass, L"Value=30;Max=60", WS_CHILD | WS_VISIBLE, 10, 10, 200, 40, host_,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(ProgressValueOf(bar), 30);
    EXPECT_EQ(ProgressMaxOf(bar), 60);
    ExpectFillEndsAt(Shown(bar), 100);

    struct Step {
        bool max;
        double set, value, maxAfter;
    };
    const Step steps[] = {{false, 150, 60, 60}, {false, -1, 0, 60}, {false, 45, 45, 60},
                          {true, 30, 30, 30},   {true, -5, 0, 0},   {false, 10, 0, 0}};
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << (s.max ? "Max " : "Value ") << s.set);
        s.max ? SendProgressMax(bar, s.set) : SendProgressValue(bar, s.set);
        EXPECT_EQ(ProgressValueOf(bar), s.value);
        EXPECT_EQ(ProgressMaxOf(bar), s.maxAfter);
    }
    ExpectFillEndsAt(Shown(bar), 200);  // Max 0 is full
    DestroyWindow(bar);                 // frees the object the window made for itself
}

TEST_F(ProgressBarWindow, MouseEventsComeInOrderAndTheParentHearsClicks) {
    ProgressBar bar;
    ASSERT_TRUE(bar.Create(host_, 7, 10, 10, 200));
    std::vector<std::string> heard;
    auto describe = [&](const char* name) {
        return [&heard, name](const ProgressMouse& m) {
            heard.push_back(std::string(name) + " " + std::to_string(m.button) + " " + std::to_string(int(m.x)) + "," +
                            std::to_string(int(m.y)));
        };
    };
    bar.MouseDown = describe("down");
    bar.MouseUp = describe("up");
    bar.Click = [&] { heard.push_back("click"); };
    bar.DblClick = [&] { heard.push_back("dblclick"); };

    SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 5));
    SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(31, 6));
    SendMessageW(bar.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(31, 6));
    SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(31, 6));
    // Released off the bar: no click.
    SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 5));
    SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(250, 5));
    SendMessageW(bar.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 3));
    SendMessageW(bar.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(2, 3));
    const std::vector<std::string> expected = {"down 1 30,5", "up 1 31,6",  "click",      "dblclick", "up 1 31,6",
                                               "down 1 30,5", "up 1 250,5", "down 2 2,3", "up 2 2,3"};
    EXPECT_EQ(heard, expected);
    const std::vector<std::pair<int, int>> notified = {{7, kPbnClicked}, {7, kPbnDoubleClicked}};
    EXPECT_EQ(commands, notified);
}

TEST(ProgressDemo, DrawsEveryStateAndSavesAScreenshot) {
    Process demo(TestsFolder() + L"\\progress_demo_win.exe", TestsFolder());
    HWND window = demo.WaitForTopWindow(L"TamborvinProgressDemo");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    struct Expect {
        int id, width, fill;
    };
    const Expect bars[] = {{101, 200, 0}, {102, 200, 80}, {103, 200, 200}, {104, 200, 200}, {105, 100, 3},
                           {106, 100, 5}, {107, 3, 2},    {108, 65, 8},    {109, 200, 100}, {110, 400, 160}};
    for (const Expect& e : bars) {
        SCOPED_TRACE(e.id);
        HWND bar = FindChildById(window, e.id);
        ASSERT_NE(bar, nullptr);
        // Painted, not just shown: the first inner column has the skin's own colour.
        const std::uint32_t first = (e.fill > 0 ? FillSkin() : TrackSkin()).At(1, 6);
        ASSERT_TRUE(WaitUntil([&] { return CaptureWindow(bar).At(1, 6) == first; }, 5s));
        Capture shown = CaptureWindow(bar);
        ASSERT_EQ(shown.width, e.width);
        ASSERT_EQ(shown.height, kProgressBarHeight);
        ExpectFillEndsAt(shown, e.fill);
        if (e.fill >= kSmallestStretchedFill && e.fill < e.width) {
            // The right cap closes the fill: its outer column is frame with white corners.
            EXPECT_EQ(shown.At(e.fill - 1, 0), kSkinCornerColour);
            EXPECT_EQ(shown.At(e.fill - 1, 5), kSkinFrameColour);
        }
        if (e.fill == 3) {
            // The picture's first three columns as they are, no right cap.
            for (int y = 1; y < kProgressBarHeight - 1; ++y) {
                for (int x = 0; x < 3; ++x) EXPECT_EQ(shown.At(x, y), FillSkin().At(x, y)) << x << "," << y;
            }
        }
    }
    SavePng(CaptureWindow(window), TestsFolder() + L"\\progress_demo.png");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(demo.WaitForExit().value_or(99), 0u);
}

}  // namespace
}  // namespace tf::test
