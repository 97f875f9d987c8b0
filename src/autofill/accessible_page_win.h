// The accessible document of the page a current browser shows, read from outside the browser
// through Active Accessibility: one WM_GETOBJECT to the window, then a short walk by roles (never by
// the names of controls, which change with the browser's language) to the visible document, whose
// value is the page address.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>

#include "autofill/page_reader.h"
#include "base/windows_api_win.h"

// Left out by WIN32_LEAN_AND_MEAN.
#include <ole2.h>
#include <oleacc.h>

namespace tf {

// With static linking the import library's IID_IAccessible resolved to a code stub instead of the
// GUID, and every request failed with E_NOINTERFACE: the identifier is defined here.
inline constexpr GUID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// A walk from a window's object towards its document, left where one tick's time ran out.
struct AccessibleWalk {
    HWND window = nullptr;
    std::deque<std::pair<IAccessible*, int>> queue;  // objects still to look at, with their depth
    int seen = 0;
    double spentMs = 0;
};

class AccessiblePages {
public:
    AccessiblePages() = default;
    ~AccessiblePages();
    AccessiblePages(const AccessiblePages&) = delete;
    AccessiblePages& operator=(const AccessiblePages&) = delete;

    // Chromium: the visible "Chrome_RenderWidgetHostHWND" child of the first visible, not minimised
    // "Chrome_WidgetWin_1" window that has one; Firefox: the first such "MozillaWindowClass" window.
    // With `only`, that top-level window is the only one looked at.
    static HWND FrontWindow(PageFamily family, HWND only = nullptr);

    PageAnswer Open(HWND window);
    PageAnswer ReadKept();

private:
    bool StartCom();
    // A window that did not answer in time gets nothing more until it has handled a message sent
    // to it without waiting; the answer arrives through our own message loop.
    bool Stalled(HWND window);
    void MarkStalled(HWND window);
    void Forget();
    void DropWalk();
    bool SafeToRelease(HWND window);

    bool comStarted_ = false;
    bool comTried_ = false;
    bool comUsable_ = false;
    // A cross-process call lets our window messages run while it waits: a tick entered then asks
    // nothing.
    bool busy_ = false;
    HWND window_ = nullptr;
    IAccessible* document_ = nullptr;
    AccessibleWalk walk_;
    HWND stalled_ = nullptr;
    ULONG_PTR stallToken_ = 0;
};

}  // namespace tf
