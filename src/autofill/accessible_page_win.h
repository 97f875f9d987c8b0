// The accessible document of the page a current browser shows, read from outside the browser
// through Active Accessibility: one WM_GETOBJECT to the window, then a short walk by roles (never by
// the names of controls, which change with the browser's language) to the visible document, whose
// value is the page address.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "autofill/page_address.h"
#include "autofill/page_reader.h"
#include "base/owned_win.h"
#include "base/windows_api_win.h"

// Left out by WIN32_LEAN_AND_MEAN.
#include <ole2.h>
#include <oleacc.h>

namespace tf {

// With static linking the import library's IID_IAccessible resolved to a code stub instead of the
// GUID, and every request failed with E_NOINTERFACE: the identifier is defined here.
inline constexpr GUID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// An object still to look at, its depth, and the window whose tree it belongs to.
struct WalkItem {
    ComPtr<IAccessible> object;
    int depth = 0;
    HWND window = nullptr;
};

// The best document found so far: web pages before other documents (developer tools, the
// browser's own pages, side bars), then the one that takes the most room on the screen.
struct PageCandidate {
    ComPtr<IAccessible> document;
    HWND window = nullptr;
    std::wstring address;
    PageRank rank;
};

// A walk from a browser window's objects towards its page, left where one tick's time ran out.
struct AccessibleWalk {
    HWND window = nullptr;  // the browser's top-level window
    std::deque<WalkItem> queue;
    PageCandidate best;
    int seen = 0;
    double spentMs = 0;
};

// The window with the keyboard focus on the thread of that top-level window (or, failing that, the
// foreground thread); nullptr when none can be had.
HWND KeyboardFocus(HWND top);
// The visible page window ("Chrome_RenderWidgetHostHWND") of a Chromium window that has the keyboard
// focus or holds the window that has it; nullptr when the focus is elsewhere (address bar, panels).
HWND FocusedPageWindow(HWND top);

class AccessiblePages {
public:
    AccessiblePages() = default;
    ~AccessiblePages();
    AccessiblePages(const AccessiblePages&) = delete;
    AccessiblePages& operator=(const AccessiblePages&) = delete;

    // The first visible, not minimised top-level window of the family's class that `accept` takes
    // (for Chromium, one that shows a page in a visible "Chrome_RenderWidgetHostHWND" child). With
    // `only`, that window is the only one looked at.
    static HWND FrontWindow(PageFamily family, HWND only = nullptr, const std::function<bool(HWND)>& accept = {});

    PageAnswer Open(HWND window);
    PageAnswer ReadKept();
    // The window of the document the last read found (a Chromium page window, or Firefox's own
    // window); nullptr when none is kept.
    HWND DocumentWindow() const { return document_ ? window_ : nullptr; }
    // Whether the object that has the keyboard focus in the browser window lies inside the kept
    // document, followed down from the window's object by its focus.
    bool FocusInDocument(HWND top);
    // Whether the focus, followed down from the kept document, lies in a document of another site
    // within it (a frame: an advertiser's, a payment provider's).
    bool FocusInOtherSiteFrame();

private:
    bool StartCom();
    // A window that did not answer in time gets nothing more until it has handled a message sent
    // to it without waiting; the answer arrives through our own message loop.
    bool Stalled(HWND window);
    void MarkStalled(HWND window);
    void Forget();
    void DropWalk();
    // The roots of the window's trees: one per page window of a Chromium window (the page, docked
    // developer tools, a side panel), or the window's own.
    bool StartWalk(HWND top, bool& stalled);
    bool SafeToRelease(HWND window);

    bool comStarted_ = false;
    bool comTried_ = false;
    bool comUsable_ = false;
    // A cross-process call lets our window messages run while it waits: a tick entered then asks
    // nothing.
    bool busy_ = false;
    HWND window_ = nullptr;
    ComPtr<IAccessible> document_;
    AccessibleWalk walk_;
    HWND stalled_ = nullptr;
    // Set when the stalled window has handled the probe sent to it; shared with the probe's
    // callback, which may come after this reader is gone.
    std::shared_ptr<bool> stallAnswered_;
};

}  // namespace tf
