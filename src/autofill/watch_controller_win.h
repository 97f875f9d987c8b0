// The browser watch on the main window: the row of browser boxes, the timer of the checked one, what
// each tick read for the status line beside the boxes, and the hint window with the matched address.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "autofill/address_reader.h"
#include "autofill/browser_watch.h"
#include "autofill/browser_windows_win.h"
#include "base/dpi.h"
#include "base/owned_win.h"
#include "base/window_part_win.h"
#include "records/record_grid.h"
#include "shell/hint_window_win.h"

namespace tf {

// Control IDs of the browser row on the main window, after the main window's own.
enum WatchControl : int {
    kIdLabel5 = 1012,  // "select brower"
    kIdCheck2,         // "ie"; Check3 "chrome", Check4 "firefox", Check5 "opera" follow in order
    kIdCheck3,
    kIdCheck4,
    kIdCheck5,
    kIdCommand1,     // the manual Internet Explorer read into Text7 (kept hidden)
    kIdWatchStatus,  // what the watch read last, or why nothing
};

// One watch timer per browser, in box order; the running one fires every second.
inline constexpr UINT_PTR kWatchTimerIe6 = 1;
// A one-shot tick sooner than the next second (see BrowserWatch::FollowUpMs).
inline constexpr UINT_PTR kWalkFollowUpTimer = 11;
// How long the hint tells why a press typed nothing.
inline constexpr ULONGLONG kNoticeMs = 4000;

class WatchController : public WindowPart {
public:
    // The records must outlive the controller. watchChanged: the running timer may have changed, or
    // a tick looked at the window in front.
    WatchController(const RecordGrid& grid, std::function<void()> watchChanged);
    WatchController(const WatchController&) = delete;
    WatchController& operator=(const WatchController&) = delete;

    // Lays the row into `row` of the window, which then receives the row's and the timers' messages:
    // made at the first call, moved at a later one (another scaling), the boxes' marks kept.
    void LayRow(HWND window, const RECT& row, HFONT font, Dpi dpi);
    // At start: the boxes as the watch loads them, the checked one's timer running, the hint hidden.
    void Start(HINSTANCE instance);
    // A tick soon, rather than at the next second: a box was ticked or a browser came to the front.
    void TickSoon(UINT milliseconds);
    // The hint shows these few words instead of the matched address for a few seconds.
    void ShowNotice(const std::string& text);

    Win32BrowserWindows& Windows() { return browserWindows_; }
    AddressReader& Reader() { return reader_; }
    const BrowserWatch& Watch() const { return watch_; }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void CheckBox_Click(Browser box);
    // Starts the one timer the watch runs and stops the others; the boxes show the watch's marks.
    void SyncWatch();
    void WatchTimer_Tick(UINT_PTR timer);
    bool InRow(HWND control) const;

    const RecordGrid& grid_;
    std::function<void()> watchChanged_;
    // The browser watch: its holders, txtSearch, Text7 and the credential slots Text1-Text4 and
    // Text10, which the hint window shows.
    Win32BrowserWindows browserWindows_;
    AddressReader reader_{browserWindows_};
    BrowserWatch watch_;
    // Text7 of the manual Internet Explorer read.
    std::string text7_;
    HWND window_ = nullptr;
    HWND label5_ = nullptr;
    HWND watchStatus_ = nullptr;
    HWND command1_ = nullptr;
    std::array<HWND, kBrowserCount> checkBoxes_{};
    UniqueBrush faceBrush_;
    HintWindow hint_;
    ULONGLONG noticeUntil_ = 0;
};

}  // namespace tf
