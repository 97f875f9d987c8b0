#include "shell/about_window_win.h"

#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "base/controls_win.h"
#include "base/dialog_scaling_win.h"
#include "base/dpi_win.h"
#include "base/http_get_win.h"
#include "base/program_look_win.h"
#include "base/shell_start_win.h"
#include "shell/update_check.h"
#include "base/window_helpers_win.h"

namespace tf {
namespace {

constexpr UINT_PTR kTimer1 = 1;
// Ends a check whose answer has not come back in time, whatever the fetch is still waiting for.
constexpr UINT_PTR kCheckDeadline = 2;
constexpr UINT kTimer1Interval = 600;
constexpr int kClientWidthTwips = 4260;
constexpr int kClientHeightTwips = 2040;

// The whole check, connection to last byte: a slow or silent server only ends it sooner.
constexpr unsigned kCheckLimitMs = 4000;
constexpr unsigned kCheckDeadlineMs = kCheckLimitMs + 500;
constexpr UINT kCheckDoneMessage = WM_APP + 1;

}  // namespace

struct AboutWindow::Check {
    std::mutex lock;
    bool done = false;
    std::optional<std::string> body;
};

AboutWindow::~AboutWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void AboutWindow::Show(HWND owner, std::function<void()> exitProgram) {
    exitProgram_ = std::move(exitProgram);
    if (hwnd_) {
        ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(hwnd_);
        return;
    }
    // At the scaling of the owner's monitor, where it opens; each opening may be on another.
    UseDpi(DpiForNewWindow(owner));
    if (!RegisterWindowClass(kAboutWindowClass, OwnerWindowProc<AboutWindow>, GetSysColorBrush(COLOR_BTNFACE))) {
        return;
    }
    const std::string version = OwnProductVersion("1.0");
    vold_ = VersionText(version);
    vnew_.clear();
    std::wstring caption = L"About tamborvin form " + Widen(version);
    int width = dpi_.FromTwips(kClientWidthTwips);
    int height = dpi_.FromTwips(kClientHeightTwips);
    if (!CreateCenteredWindow(WS_EX_DLGMODALFRAME, kAboutWindowClass, caption, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                              width, height, owner, this, dpi_)) {
        return;
    }
    int alpha = 255;
    SetTopLayered(hwnd_, true, alpha, false);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetTimer(hwnd_, kTimer1, kTimer1Interval, nullptr);
}

void AboutWindow::UseDpi(Dpi dpi) {
    if (font_ && dpi == fontDpi_) return;
    dpi_ = fontDpi_ = dpi;
    font_.Reset(CreateUiFont(8, dpi_));
    titleFont_.Reset(CreateUiFont(12, dpi_, FW_BOLD));
    linkFont_.Reset(CreateUiFont(8, dpi_, FW_NORMAL, true));
    // The picture the icon has for this size, not a smaller one stretched.
    const int logoSize = dpi_.Px(32);
    logo_.Reset(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, logoSize, logoSize, 0)));
    if (!logo_) logo_.Reset(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
}

void AboutWindow::Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int pad = dpi_.Px(12);
    const int textX = pad + dpi_.Px(32) + pad;
    const int lineH = dpi_.Px(16);
    const std::wstring version = Widen(OwnProductVersion("1.0"));
    // The first run makes the controls in their Tab order; later ones (another scaling) move them
    // and give them the fonts of that scaling, keeping their texts and states.
    const bool create = controls_.empty();
    std::size_t next = 0;
    auto put = [&](const wchar_t* text, DWORD style, int id, int x, int y, int w, int h, HFONT font,
                   const wchar_t* cls = L"STATIC") {
        if (create) {
            controls_.push_back(CreateChild(hwnd_, 0, cls, text, style, id, x, y, w, h, font));
            return controls_.back();
        }
        HWND c = controls_[next++];
        MoveWindow(c, x, y, w, h, FALSE);
        if (font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return c;
    };

    HWND image = put(L"", SS_ICON | SS_REALSIZECONTROL, kIdAboutImage1, pad, pad, dpi_.Px(32), dpi_.Px(32), nullptr);
    SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(logo_.Get()), 0);
    put(L"Tamborvin Download", SS_LEFT | SS_NOPREFIX, kIdAboutLabel1, textX, pad - dpi_.Px(2),
        client.right - textX - pad, dpi_.Px(22), titleFont_.Get());
    put((L"Version " + version).c_str(), SS_LEFT | SS_NOPREFIX, kIdAboutLabel2, textX, pad + dpi_.Px(22), dpi_.Px(120),
        lineH, font_.Get());
    links_[0] = put(L"Home", SS_LEFT | SS_NOTIFY, kIdAboutLabel3, textX, pad + dpi_.Px(22) + lineH + dpi_.Px(2),
                    dpi_.Px(36), lineH, linkFont_.Get());
    links_[1] = put(L"FAQ", SS_LEFT | SS_NOTIFY, kIdAboutLabelx, textX + dpi_.Px(48),
                    pad + dpi_.Px(22) + lineH + dpi_.Px(2), dpi_.Px(36), lineH, linkFont_.Get());
    const int buttonH = dpi_.Px(24);
    const int buttonY = client.bottom - pad - buttonH;
    label666_ = put(L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kIdAboutLabel666, pad, buttonY - lineH - dpi_.Px(6),
                    client.right - 2 * pad, lineH, font_.Get());
    // Enabled only once the check has found a newer version.
    velnor_ = put(Widen(kAboutVelnorButton).c_str(), BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, kIdAboutVelnor,
                  client.right - pad - dpi_.Px(130), buttonY, dpi_.Px(130), buttonH, font_.Get(), L"BUTTON");
}

void AboutWindow::Timer1_Timer() {
    // Once per opening.
    KillTimer(hwnd_, kTimer1);
    // The fetch runs on a worker, so that the window, the watch and the hotkeys go on meanwhile.
    check_ = std::make_shared<Check>();
    try {
        std::thread([check = check_, window = hwnd_] {
            std::optional<std::string> body =
                HttpGetText(std::string(TAMBORVIN_SERVER) + kVersionFilePath, kCheckLimitMs);
            {
                std::lock_guard<std::mutex> hold(check->lock);
                check->body = std::move(body);
                check->done = true;
            }
            PostMessageW(window, kCheckDoneMessage, 0, 0);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: a failed check, not the end of the program.
        CheckDone(true);
        return;
    }
    SetTimer(hwnd_, kCheckDeadline, kCheckDeadlineMs, nullptr);
}

void AboutWindow::CheckDone(bool late) {
    if (!check_) return;
    std::optional<std::string> body;
    {
        std::lock_guard<std::mutex> hold(check_->lock);
        if (!check_->done && !late) return;
        if (check_->done) body = check_->body;
    }
    // An answer after the deadline is not waited for, nor shown.
    check_.reset();
    KillTimer(hwnd_, kCheckDeadline);
    vnew_ = body.value_or("");
    UpdateCheckOutcome outcome = CheckVersion(body, vold_);
    SetWindowTextW(label666_, Widen(outcome.label).c_str());
    EnableWindow(velnor_, outcome.updateEnabled);
}

void AboutWindow::velnor_Click() {
    const std::string updater = ProgramFolder() + "\\" + kUpdaterProgram;
    if (GetFileAttributesW(Widen(updater).c_str()) == INVALID_FILE_ATTRIBUTES ||
        !StartCommandLine(QuotedPath(updater), SW_SHOWMINIMIZED)) {
        // Without the updater nobody would bring the program back: it keeps running.
        SetWindowTextW(label666_, Widen(kAboutUpdaterMissing).c_str());
        return;
    }
    // The updater replaces this program's file: end as Exit does. This window goes with the owner.
    if (exitProgram_) exitProgram_();
}

void AboutWindow::OpenPage(const char* path) {
    StartCommandLine(L"explorer " + Widen(std::string(TAMBORVIN_SERVER) + path), SW_SHOWMINIMIZED);
}

LRESULT AboutWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            // Before the controls, which read it.
            SetWindowDpi(hwnd_, dpi_);
            Layout();
            return 0;
        case kGetDpiScaledSize:
            return AnswerDpiScaledSize(hwnd_, wParam, lParam, [](Dpi at) {
                return SIZE{at.FromTwips(kClientWidthTwips), at.FromTwips(kClientHeightTwips)};
            });
        case kDpiChanged: {
            // The controls and the picture let go of the old fonts and logo only as Layout gives
            // them the new ones.
            UniqueFont oldFonts[] = {std::move(font_), std::move(titleFont_), std::move(linkFont_)};
            UniqueIcon oldLogo = std::move(logo_);
            UseDpi(TakeDpiChange(hwnd_, wParam, lParam));
            Layout();
            TellControlsDpiChanged(hwnd_);
            RepaintAll(hwnd_);
            return 0;
        }
        case WM_TIMER:
            if (wParam == kTimer1) Timer1_Timer();
            if (wParam == kCheckDeadline) CheckDone(true);
            return 0;
        case kCheckDoneMessage:
            CheckDone(false);
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kIdAboutVelnor:
                    if (HIWORD(wParam) == BN_CLICKED) velnor_Click();
                    break;
                case kIdAboutLabel3:
                    if (HIWORD(wParam) == STN_CLICKED) OpenPage(kHomePagePath);
                    break;
                case kIdAboutLabelx:
                    if (HIWORD(wParam) == STN_CLICKED) OpenPage(kFaqPagePath);
                    break;
                case IDCANCEL:
                    DestroyWindow(hwnd_);
                    break;
                default:
                    break;
            }
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            HWND control = reinterpret_cast<HWND>(lParam);
            SetBkMode(dc, TRANSPARENT);
            if (control == links_[0] || control == links_[1]) {
                SetTextColor(dc, kLinkColour);
            } else if (GetDlgCtrlID(control) == kIdAboutLabel1) {
                SetTextColor(dc, kBandBlue);
            }
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_SETCURSOR: {
            HWND over = reinterpret_cast<HWND>(wParam);
            if (over == links_[0] || over == links_[1]) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        case WM_NCDESTROY:
            // The next opening makes its controls afresh.
            controls_.clear();
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace tf
