#include "autofill/watch_controller_win.h"

#include <algorithm>
#include <utility>

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"
#include "base/program_look_win.h"
#include "base/text.h"

namespace tf {

WatchController::WatchController(const RecordGrid& grid, std::function<void()> watchChanged)
    : grid_(grid), watchChanged_(std::move(watchChanged)) {}

void WatchController::LayRow(HWND window, const RECT& row, HFONT font, Dpi dpi) {
    window_ = window;
    if (!faceBrush_) faceBrush_.Reset(CreateSolidBrush(kFaceColour));
    const int height = row.bottom - row.top;
    int x = row.left;
    if (label5_) {
        MoveChild(label5_, x, row.top, dpi.Px(96), height, font);
    } else {
        label5_ = CreateChild(window, 0, L"STATIC", Widen(kBrowserRowCaption).c_str(), SS_LEFT | SS_CENTERIMAGE,
                              kIdLabel5, x, row.top, dpi.Px(96), height, font);
    }
    x += dpi.Px(100);
    for (int b = 0; b < kBrowserCount; ++b) {
        const int boxW = dpi.Px(b == 0 ? 48 : 80);
        HWND& box = checkBoxes_[static_cast<std::size_t>(b)];
        if (box) {
            MoveChild(box, x, row.top, boxW, height, font);
        } else {
            box = CreateChild(window, 0, L"BUTTON", Widen(kBrowserBoxCaptions[static_cast<std::size_t>(b)]).c_str(),
                              WS_TABSTOP | BS_AUTOCHECKBOX, kIdCheck2 + b, x, row.top, boxW, height, font);
        }
        x += boxW + dpi.Px(8);
    }
    // The manual read is a maintenance aid with nothing to show a user: it stays hidden.
    if (command1_) {
        MoveChild(command1_, x, row.top, dpi.Px(80), height, nullptr);
    } else {
        command1_ = CreateWindowExW(0, L"BUTTON", L"Command1", WS_CHILD | BS_PUSHBUTTON, x, row.top, dpi.Px(80), height,
                                    window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdCommand1)),
                                    GetModuleHandleW(nullptr), nullptr);
    }
    if (watchStatus_) {
        MoveChild(watchStatus_, x, row.top, row.right - x, height, font);
    } else {
        watchStatus_ = CreateChild(window, 0, L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX,
                                   kIdWatchStatus, x, row.top, row.right - x, height, font);
    }
}

void WatchController::Start(HINSTANCE instance) {
    watch_.Load();
    SyncWatch();
    if (hint_.Create(instance)) {
        ShowWindow(hint_.Handle(), SW_SHOWNOACTIVATE);
        hint_.HideHint();
    }
}

void WatchController::CheckBox_Click(Browser box) {
    bool checked = SendMessageW(checkBoxes_[static_cast<std::size_t>(box)], BM_GETCHECK, 0, 0) == BST_CHECKED;
    watch_.BoxClicked(box, checked);
    SyncWatch();
    // The browser's page tree is built on the first request: ask now, not in a second.
    if (checked) TickSoon(0);
}

void WatchController::TickSoon(UINT milliseconds) { SetTimer(window_, kWalkFollowUpTimer, milliseconds, nullptr); }

void WatchController::ShowNotice(const std::string& text) {
    noticeUntil_ = GetTickCount64() + kNoticeMs;
    hint_.ShowHint(text);
}

void WatchController::SyncWatch() {
    for (int b = 0; b < kBrowserCount; ++b) {
        const auto browser = static_cast<Browser>(b);
        SendMessageW(checkBoxes_[static_cast<std::size_t>(b)], BM_SETCHECK,
                     watch_.Checked(browser) ? BST_CHECKED : BST_UNCHECKED, 0);
        const UINT_PTR timer = kWatchTimerIe6 + static_cast<UINT_PTR>(b);
        if (watch_.RunningTimer() == browser) {
            SetTimer(window_, timer, kWatchIntervalMs, nullptr);
        } else {
            KillTimer(window_, timer);
        }
    }
    if (watchChanged_) watchChanged_();
}

void WatchController::WatchTimer_Tick(UINT_PTR timer) {
    const auto running = watch_.RunningTimer();
    if (timer == kWalkFollowUpTimer) KillTimer(window_, kWalkFollowUpTimer);
    if (!running || (timer != kWatchTimerIe6 + static_cast<UINT_PTR>(*running) && timer != kWalkFollowUpTimer)) return;
    watch_.Tick(reader_, grid_);
    // The hint names the matched login address, or hides when nothing matched; a notice of a
    // press stays for its time.
    const std::string& matched = watch_.Slots().Text10;
    // Beside the browser the user works in, on whichever monitor it stands.
    hint_.PlaceFor(browserWindows_.LastWindow());
    if (GetTickCount64() >= noticeUntil_) {
        if (matched.empty()) {
            hint_.HideHint();
        } else {
            hint_.ShowHint(matched);
        }
    }
    if (TextOf(watchStatus_) != watch_.StatusText()) SetWindowTextW(watchStatus_, Widen(watch_.StatusText()).c_str());
    // In case a change of the window in front went unheard.
    if (watchChanged_) watchChanged_();
    if (const int soon = watch_.FollowUpMs()) TickSoon(static_cast<UINT>(soon));
}

bool WatchController::InRow(HWND control) const {
    return control && (control == label5_ || control == watchStatus_ ||
                       std::find(checkBoxes_.begin(), checkBoxes_.end(), control) != checkBoxes_.end());
}

bool WatchController::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
        case WM_TIMER:
            if (wParam != kWalkFollowUpTimer &&
                (wParam < kWatchTimerIe6 || wParam >= kWatchTimerIe6 + static_cast<UINT_PTR>(kBrowserCount))) {
                return false;
            }
            WatchTimer_Tick(wParam);
            return true;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (HIWORD(wParam) != BN_CLICKED) return false;
            if (id >= kIdCheck2 && id <= kIdCheck5) {
                CheckBox_Click(static_cast<Browser>(id - kIdCheck2));
                return true;
            }
            if (id == kIdCommand1) {
                text7_ = browserWindows_.ReadIEManual();
                return true;
            }
            return false;
        }
        case WM_CTLCOLORSTATIC: {
            if (!InRow(reinterpret_cast<HWND>(lParam))) return false;
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kHintText);
            SetBkColor(dc, kFaceColour);
            result = reinterpret_cast<LRESULT>(faceBrush_.Get());
            return true;
        }
        default:
            return false;
    }
}

}  // namespace tf
