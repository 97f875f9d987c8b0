// Current browsers draw their address bar themselves, with no edit window to read and no DDE
// service. What they still give is the accessibility interface of the page they show: its document
// names the page address. Asking for it is the platform's (BrowserWindows); when to ask, and what
// to keep between ticks, is decided here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tf {

class BrowserWindows;

enum class PageFamily {
    kChromium,  // Chrome, Edge, Brave, Vivaldi: "Chrome_WidgetWin_1" windows
    kOpera,     // current Opera, on the same windows
    kFirefox,   // "MozillaWindowClass" windows
};

struct PageAnswer {
    enum Kind {
        kAddress,   // the document's address, never empty
        kNotReady,  // the window answers but has no document yet (its tree is built on the first request)
        kNoAnswer,  // the window does not answer in time: ask it nothing until it does
        kGone,      // the document kept from before is no longer the page shown
        kWalking,   // the walk to the document has not reached it yet and goes on at the next ask
    };
    Kind kind = kNotReady;
    std::string address;
};

// Why a read gave no address, or that it gave one; shown to the user beside the browser boxes.
enum class ReadState {
    kAddress,
    kNoWindow,          // no window of the browser is open
    kLoading,           // the page is still being built, or the way to it is being walked
    kAccessibilityOff,  // the window answers but never shows a document: the browser keeps its pages to itself
    kNotAnswering,      // the browser did not answer in time
};

// Reads the page address of the front-most browser window of a family, keeping the document it
// found so that the next ticks ask that one object for its address instead of walking the window's
// tree again. A window without a document yet is asked again on the next ticks, then less often,
// so that a window that never builds one is not asked once a second for as long as it is open.
class PageReader {
public:
    // The address, or nothing when no window of the family is open or its page cannot be read now.
    std::optional<std::string> Read(BrowserWindows& windows, PageFamily family);
    // The last read left a walk to the document half done: asking again soon finishes it sooner
    // than the next tick would.
    bool Walking() const { return walking_; }
    // The last read could not tell (a walk under way, a window that did not answer in time, a
    // tick of the slow rhythm that did not ask), as opposed to a window that has no page to read.
    bool Pending() const { return pending_; }
    // The next read asks the window whatever the rhythm says.
    void AskNow() { askNow_ = true; }
    ReadState State() const { return state_; }

    // Asked every tick for this many ticks, then every kSlowAskEvery ticks.
    static constexpr int kEagerAsks = 5;
    static constexpr int kSlowAskEvery = 5;

private:
    bool DueToAsk() const;

    PageFamily family_ = PageFamily::kChromium;
    std::uintptr_t window_ = 0;
    bool open_ = false;
    int misses_ = 0;
    bool walking_ = false;
    bool pending_ = false;
    bool askNow_ = false;
    ReadState state_ = ReadState::kNoWindow;
};

}  // namespace tf
