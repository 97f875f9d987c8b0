// Scaling from outside: programs started at a chosen scaling, a window told it moved to a monitor of
// another, and the comparison of its layout with that of a window opened there.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/ui_driver_win.h"

namespace tf::test {

// The scaling programs started from now on read (each reads it once, as it starts); put back after.
class ScreenDpiForNewPrograms {
public:
    explicit ScreenDpiForNewPrograms(DWORD dpi);
    ~ScreenDpiForNewPrograms();
    ScreenDpiForNewPrograms(const ScreenDpiForNewPrograms&) = delete;
    ScreenDpiForNewPrograms& operator=(const ScreenDpiForNewPrograms&) = delete;
    bool Set() const { return set_; }
    // Another scaling for the programs started after this.
    bool Change(DWORD dpi);

private:
    DWORD old_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// A window as laid out: its client area, and each control (in creation order) with its place in
// that area and the height of its font.
struct ControlPlace {
    std::wstring cls;
    int id;
    RECT box;
    int fontHeight;  // 0: the control has no font of its own set
};
struct WindowLayout {
    SIZE client;
    std::vector<ControlPlace> controls;
};
WindowLayout LayoutOf(HWND window);

// What Windows sends a window moved onto a monitor of this scaling: WM_DPICHANGED with a suggested
// rectangle at the same top-left corner that holds the client size the window would have there
// (`client`, with the window's present frame around it). Waits until the window has taken it.
bool SendDpiChange(HWND window, int dpi, SIZE client);

// The window size the window asks for at that scaling when Windows is about to move it onto such a
// monitor (so that Windows suggests that size); nothing when it leaves the size to Windows.
std::optional<SIZE> DpiScaledSize(HWND window, int dpi);

// The client size, each control's place and font of a window told of a scaling against those of
// one opened at it.
void ExpectSameLayout(const WindowLayout& changed, const WindowLayout& opened, const std::string& name);

}  // namespace tf::test
